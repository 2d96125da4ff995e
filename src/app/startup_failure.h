#pragma once

#include <exception>

#include "app/stop_box.h"

namespace veltrop {

inline constexpr const char* kStartupFailureCaption = "Application Error";

// Shows the one box of a start-up that failed: no owner, stop icon, the error's
// kind, the program file and a code position.
void reportStartupFailure(std::exception_ptr error, const StopBox& box);

}  // namespace veltrop
