#pragma once

#include <memory>
#include <string>

#include "child_process.h"
#include "x_display.h"

namespace veltrop::testing {

// A private X display (Xvfb, on a display number the server picks itself) with the
// openbox window manager running on it, for the lifetime of the object, and a
// notification area (the XEmbed tray host trayer) while a test wants one.
class DesktopSession {
public:
    DesktopSession();
    ~DesktopSession();

    const std::string& displayName() const { return displayName_; }
    XDisplay& display() { return *display_; }

    // What a program started on this desktop needs in its environment.
    std::vector<std::string> environment() const;

    // Start and stop the tray host; each returns once the desktop shows the change.
    // Stop it only while no program has an icon docked in it.
    void startTrayHost();
    void stopTrayHost();
    // The program's icons docked in the tray host; none without a host.
    std::vector<Window> dockedIcons(pid_t program);

private:
    std::string runtimeFolder_;
    std::string displayName_;
    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> windowManager_;
    std::unique_ptr<ChildProcess> trayHost_;
    std::unique_ptr<XDisplay> display_;
};

}  // namespace veltrop::testing
