#pragma once

#include "app/application.h"
#include "app/window_factory.h"

namespace veltrop {

// Creates the windows, runs the message loop until the program terminates and
// destroys the windows again; returns the exit code: 0, or 1 after a failed
// start-up has been reported in one "Application Error" box.
int runProgram(Application& app, const WindowFactory& factory);

}  // namespace veltrop
