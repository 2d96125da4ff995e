#pragma once

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"

namespace veltrop::testing {

// A panel's StatusNotifier host on the session bus of the given environment
// (status_notifier_host.py), for the lifetime of the object. It talks with the test
// through files in the folder.
class StatusNotifierPanel {
public:
    StatusNotifierPanel(const std::string& folder, const std::vector<std::string>& environment);

    // An icon has registered with the host.
    bool iconRegistered() { return signalled("registered"); }
    // Chooses the item in the icon's menu as the panel's menu does; false when the host
    // could not.
    bool choose(const std::string& label) { return ask("click-" + label, "clicked-" + label); }
    // Clicks the icon as the panel does; false when the host could not.
    bool click() { return ask("activate", "activated"); }

private:
    bool signalled(const std::string& name);
    bool ask(const std::string& request, const std::string& answer);

    std::string folder_;
    std::unique_ptr<ChildProcess> host_;
};

}  // namespace veltrop::testing
