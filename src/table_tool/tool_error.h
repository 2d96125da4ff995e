#pragma once

#include <string>

#include "core/error.h"

namespace veltrop::table_tool {

// A command that could not be done: exit status 1, its message one line on stderr.
class ToolError : public Error {
public:
    using Error::Error;
    const char* kindName() const noexcept override { return "ToolError"; }
};

// A command line that makes no sense: exit status 2.
class UsageError : public Error {
public:
    using Error::Error;
    const char* kindName() const noexcept override { return "UsageError"; }
};

enum ExitStatus { kDone = 0, kFailed = 1, kBadUsage = 2 };

}  // namespace veltrop::table_tool
