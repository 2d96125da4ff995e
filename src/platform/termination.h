#pragma once

namespace veltrop {

// Whether the program is ending: once it is, every modal loop ends and the main event
// loop quits with exit code 0.
bool isTerminating();

// Marks the program as ending and posts the quit of the main event loop.
void requestTermination();

}  // namespace veltrop
