#include "desktop_session.h"

#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

namespace veltrop::testing {

namespace {

constexpr std::chrono::seconds kStartTimeout{60};
// The tray manager selection of screen 0, which a tray host owns while it runs.
constexpr const char* kTraySelection = "_NET_SYSTEM_TRAY_S0";

// Xvfb writes the display number it chose to the descriptor, then a newline.
std::string readDisplayNumber(int descriptor) {
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd pipe{descriptor, POLLIN, 0};
        if (left.count() <= 0 || poll(&pipe, 1, static_cast<int>(left.count())) <= 0) {
            throw std::runtime_error("Xvfb did not report its display");
        }
        char character = 0;
        if (read(descriptor, &character, 1) != 1) {
            throw std::runtime_error("Xvfb ended before reporting its display");
        }
        if (character == '\n') {
            return number;
        }
        number += character;
    }
}

}  // namespace

DesktopSession::DesktopSession() {
    std::string pattern = (std::filesystem::temp_directory_path() / "veltrop-xdg-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    runtimeFolder_ = pattern;

    int pipe[2];
    if (::pipe(pipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    server_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", std::to_string(pipe[1]), "-screen",
                                 "0", "1280x1024x24", "-nolisten", "tcp"},
        runtimeFolder_, std::vector<std::string>{}, pipe[1]);
    close(pipe[1]);
    displayName_ = ":" + readDisplayNumber(pipe[0]);
    close(pipe[0]);

    display_ = std::make_unique<XDisplay>(displayName_);
    windowManager_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/openbox", "--sm-disable"}, runtimeFolder_,
        std::vector<std::string>{"DISPLAY=" + displayName_, "HOME=" + runtimeFolder_});
    if (!display_->waitForWindowManager(kStartTimeout)) {
        throw std::runtime_error("openbox did not start");
    }
}

DesktopSession::~DesktopSession() {
    display_.reset();
    trayHost_.reset();
    windowManager_.reset();
    server_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(runtimeFolder_, ignored);
}

std::vector<std::string> DesktopSession::environment() const {
    return {"DISPLAY=" + displayName_, "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + runtimeFolder_,
            "HOME=" + runtimeFolder_};
}

void DesktopSession::startTrayHost() {
    if (trayHost_) {
        return;
    }
    // NO_AT_BRIDGE: no accessibility bus to look for on a private display.
    trayHost_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/trayer"}, runtimeFolder_,
        std::vector<std::string>{"DISPLAY=" + displayName_, "HOME=" + runtimeFolder_,
                                 "XDG_RUNTIME_DIR=" + runtimeFolder_, "NO_AT_BRIDGE=1"});
    if (!display_->waitUntil([&] { return display_->selectionHasOwner(kTraySelection); },
                             kStartTimeout)) {
        throw std::runtime_error("trayer did not start");
    }
}

void DesktopSession::stopTrayHost() {
    trayHost_.reset();
    if (!display_->waitUntil([&] { return !display_->selectionHasOwner(kTraySelection); },
                             kStartTimeout)) {
        throw std::runtime_error("the tray selection outlived trayer");
    }
}

std::vector<Window> DesktopSession::dockedIcons(pid_t program) {
    return trayHost_ ? display_->embeddedIn(trayHost_->pid(), program) : std::vector<Window>{};
}

}  // namespace veltrop::testing
