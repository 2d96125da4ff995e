#include "table_tool/password_source.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include "table_tool/tool_error.h"

namespace veltrop::table_tool {

namespace {

// A password longer than this is refused rather than moved into a larger buffer.
constexpr std::size_t kLongestPassword = 4096;

// Byte by byte straight into locked memory; the line's end is not kept.
bool readLine(int fd, engine::Secret& line) {
    line = engine::Secret::withRoom(kLongestPassword);
    char c = 0;
    ssize_t got = 0;
    while ((got = read(fd, &c, 1)) == 1 && c != '\n') {
        if (line.size() == line.capacity()) {
            line.wipe();
            throw ToolError("the password is longer than " + std::to_string(kLongestPassword) +
                            " bytes");
        }
        line.append(std::string_view(&c, 1));
    }
    c = 0;
    if (!line.empty() && line.view().back() == '\r') {
        line.truncate(line.size() - 1);
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

engine::Secret PasswordSource::ask(const std::string& prompt) {
    engine::Secret line;
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

engine::Secret PasswordSource::current(const std::string& fileName) {
    return ask("Password of " + fileName + ": ");
}

engine::Secret PasswordSource::fresh(const std::string& fileName) {
    engine::Secret password = ask("New password for " + fileName + ": ");
    if (password.empty()) {
        throw ToolError("an empty password protects nothing; nothing was changed");
    }
    if (!fromStandardInput_ && ask("The new password again: ").view() != password.view()) {
        throw ToolError("the two passwords differ; nothing was changed");
    }
    return password;
}

}  // namespace veltrop::table_tool
