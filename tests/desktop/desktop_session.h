#pragma once

#include <memory>
#include <string>

#include "child_process.h"
#include "x_display.h"

namespace veltrop::testing {

// A private X display (Xvfb, on a display number the server picks itself) with the
// openbox window manager running on it, for the lifetime of the object.
class DesktopSession {
public:
    DesktopSession();
    ~DesktopSession();

    const std::string& displayName() const { return displayName_; }
    XDisplay& display() { return *display_; }

    // What a program started on this desktop needs in its environment.
    std::vector<std::string> environment() const;

private:
    std::string runtimeFolder_;
    std::string displayName_;
    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> windowManager_;
    std::unique_ptr<XDisplay> display_;
};

}  // namespace veltrop::testing
