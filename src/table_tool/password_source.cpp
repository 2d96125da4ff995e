#include "table_tool/password_source.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include "engine/secret.h"
#include "table_tool/tool_error.h"

namespace veltrop::table_tool {

namespace {

bool readLine(int fd, std::string& line) {
    // Room enough that growing leaves no copies of the password behind.
    line.reserve(4096);
    char c = 0;
    ssize_t got = 0;
    while ((got = read(fd, &c, 1)) == 1 && c != '\n') {
        line += c;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return got == 1 || !line.empty();
}

// Restores the terminal however the reading ends.
class QuietTerminal {
public:
    explicit QuietTerminal(int fd) : fd_(fd) {
        quiet_ = tcgetattr(fd_, &saved_) == 0;
        if (quiet_) {
            termios silent = saved_;
            silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            tcsetattr(fd_, TCSAFLUSH, &silent);
        }
    }
    ~QuietTerminal() {
        if (quiet_) {
            tcsetattr(fd_, TCSAFLUSH, &saved_);
        }
    }

private:
    int fd_;
    termios saved_{};
    bool quiet_;
};

}  // namespace

std::string PasswordSource::ask(const std::string& prompt) {
    std::string line;
    if (fromStandardInput_) {
        if (!readLine(STDIN_FILENO, line)) {
            throw ToolError("standard input ended before the password; give one per line");
        }
        return line;
    }
    const int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) {
        throw ToolError(
            "a password is needed and there is no terminal to ask it on; give it on "
            "standard input with --password-stdin");
    }
    bool got = false;
    {
        const QuietTerminal quiet(tty);
        const ssize_t shown = write(tty, prompt.data(), prompt.size());
        got = shown >= 0 && readLine(tty, line);
        const ssize_t ended = write(tty, "\n", 1);
        static_cast<void>(ended);
    }
    close(tty);
    if (!got) {
        throw ToolError("no password was given");
    }
    return line;
}

std::string PasswordSource::current(const std::string& fileName) {
    return ask("Password of " + fileName + ": ");
}

std::string PasswordSource::fresh(const std::string& fileName) {
    std::string password = ask("New password for " + fileName + ": ");
    if (password.empty()) {
        throw ToolError("an empty password protects nothing; nothing was changed");
    }
    if (!fromStandardInput_) {
        std::string again = ask("The new password again: ");
        const bool same = again == password;
        engine::wipeString(again);
        if (!same) {
            engine::wipeString(password);
            throw ToolError("the two passwords differ; nothing was changed");
        }
    }
    return password;
}

}  // namespace veltrop::table_tool
