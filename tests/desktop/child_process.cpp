#include "child_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace veltrop::testing {

ChildProcess::ChildProcess(const std::vector<std::string>& command, const std::string& folder,
                           const std::vector<std::string>& environment, int keepOpen) {
    std::vector<char*> arguments;
    for (const std::string& argument : command) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        for (const std::string& entry : environment) {
            putenv(const_cast<char*>(entry.c_str()));
        }
        for (int descriptor = 3; descriptor < 1024; ++descriptor) {
            if (descriptor != keepOpen) {
                close(descriptor);
            }
        }
        if (chdir(folder.c_str()) == 0) {
            execv(arguments[0], arguments.data());
        }
        _exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (!exitCode_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void ChildProcess::stop(std::chrono::milliseconds timeout) {
    if (!exitCode_) {
        kill(pid_, SIGTERM);
        waitForExit(timeout);
    }
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!exitCode_) {
        int status = 0;
        const pid_t ended = waitpid(pid_, &status, WNOHANG);
        if (ended == pid_) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        } else if (std::chrono::steady_clock::now() >= deadline) {
            break;
        } else {
            // The program under test gets the processor; an exit is seen within 20 ms.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    return exitCode_;
}

}  // namespace veltrop::testing
