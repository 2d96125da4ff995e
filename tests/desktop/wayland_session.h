#pragma once

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"

namespace veltrop::testing {

// A headless Wayland session (weston) on a private XDG_RUNTIME_DIR for the lifetime of
// the object; with XWayland when asked, whose X display weston opens on the first X
// client.
class WaylandSession {
public:
    explicit WaylandSession(bool xwayland);
    ~WaylandSession();
    WaylandSession(const WaylandSession&) = delete;
    WaylandSession& operator=(const WaylandSession&) = delete;

    // XWayland's display (":N"); empty without XWayland.
    const std::string& x11Display() const { return x11Display_; }

    // What a program started in this session has in its environment, as a desktop gives
    // it: no platform chosen, no X display but XWayland's.
    std::vector<std::string> environment() const;

private:
    std::string runtimeFolder_;
    std::string x11Display_;
    std::unique_ptr<ChildProcess> compositor_;
};

}  // namespace veltrop::testing
