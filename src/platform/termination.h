#pragma once

namespace veltrop {

// The application's terminated flag: once set, every modal loop ends and the main
// event loop quits with exit code 0.
bool isTerminating();

// Sets the flag and posts the quit of the main event loop.
void requestTermination();

// Marks the flag without posting a quit: the session is ending.
void markTerminating();

// Starts a new application run with the flag cleared.
void resetTermination();

}  // namespace veltrop
