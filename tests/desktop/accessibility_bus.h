#pragma once

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "session_bus.h"

namespace veltrop::testing {

// A private session bus with at-spi2-core's bus launcher on it, for the lifetime of the
// object, and the reader (atspi_reader.py, on libatspi) that asks its registry as a
// screen reader does. It needs no X display.
class AccessibilityBus {
public:
    // For programs of the desktop whose environment is given.
    AccessibilityBus(const std::string& folder, std::vector<std::string> desktopEnvironment);
    ~AccessibilityBus();

    // The desktop's environment with this bus in it.
    const std::vector<std::string>& environment() const { return environment_; }
    // A program started with these entries added can be read.
    std::vector<std::string> readableProgram() const;

    // Runs the reader with these arguments; its exit code.
    int runReader(const std::vector<std::string>& arguments);
    // Starts the reader with these arguments, for a reader that listens.
    std::unique_ptr<ChildProcess> startReader(const std::vector<std::string>& arguments);
    // What the reader's mode (tree, windows) writes, line by line.
    std::vector<std::string> read(const std::string& mode);

private:
    std::string folder_;
    SessionBus bus_;
    std::vector<std::string> environment_;
    std::unique_ptr<ChildProcess> launcher_;
};

}  // namespace veltrop::testing
