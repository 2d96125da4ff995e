#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace veltrop::testing {

// A program started for a desktop test; killed when the object goes, unless it has
// ended by then.
class ChildProcess {
public:
    // Starts the program in the folder with these extra environment entries
    // ("NAME=value"); the descriptor keepOpen (if not -1) is passed on unclosed.
    ChildProcess(const std::vector<std::string>& command, const std::string& folder,
                 const std::vector<std::string>& environment, int keepOpen = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }

    // Asks the program to end (SIGTERM), so that it can end what it started, and
    // waits for it; kills it when it has not ended within the timeout.
    void stop(std::chrono::milliseconds timeout);

    // The exit code once the program has ended, or nothing when it is still running
    // after the timeout (or was ended by a signal: then -signal).
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
};

}  // namespace veltrop::testing
