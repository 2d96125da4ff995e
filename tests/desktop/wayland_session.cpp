#include "wayland_session.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "probes.h"

namespace veltrop::testing {

namespace {

constexpr const char* kSocket = "wayland-veltrop";

// The X display weston reports in its log once XWayland listens, or empty.
std::string reportedDisplay(const std::string& log) {
    const std::string said = "xserver listening on display ";
    std::ifstream file(log);
    for (std::string line; std::getline(file, line);) {
        const auto at = line.find(said);
        if (at != std::string::npos) {
            return line.substr(at + said.size());
        }
    }
    return {};
}

}  // namespace

WaylandSession::WaylandSession(bool xwayland) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "veltrop-wayland-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    runtimeFolder_ = pattern;
    // XWayland's sockets go where every X server's do; without the folder weston
    // gives up on XWayland.
    if (xwayland && mkdir("/tmp/.X11-unix", 01777) == 0) {
        chmod("/tmp/.X11-unix", 01777);
    }
    const std::string log = runtimeFolder_ + "/weston.log";
    std::vector<std::string> command{"/usr/bin/weston", "--backend=headless-backend.so",
                                     std::string("--socket=") + kSocket, "--idle-time=0",
                                     "--log=" + log};
    if (xwayland) {
        command.push_back("--xwayland");
    }
    compositor_ = std::make_unique<ChildProcess>(
        command, runtimeFolder_,
        std::vector<std::string>{"XDG_RUNTIME_DIR=" + runtimeFolder_, "HOME=" + runtimeFolder_,
                                 "WAYLAND_DISPLAY=", "DISPLAY="});
    const std::string socket = runtimeFolder_ + "/" + kSocket;
    if (!becomesTrue([&] {
            return std::filesystem::exists(socket) &&
                   (!xwayland || !(x11Display_ = reportedDisplay(log)).empty());
        })) {
        throw std::runtime_error("weston did not start; see " + log);
    }
}

WaylandSession::~WaylandSession() {
    // Asked to end, weston ends XWayland and its own helpers too.
    compositor_->stop(std::chrono::seconds(30));
    compositor_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(runtimeFolder_, ignored);
}

std::vector<std::string> WaylandSession::environment() const {
    return {"XDG_RUNTIME_DIR=" + runtimeFolder_,
            std::string("WAYLAND_DISPLAY=") + kSocket,
            "XDG_SESSION_TYPE=wayland",
            "DISPLAY=" + x11Display_,
            "QT_QPA_PLATFORM=",
            "HOME=" + runtimeFolder_};
}

}  // namespace veltrop::testing
