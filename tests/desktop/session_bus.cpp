#include "session_bus.h"

#include <filesystem>
#include <stdexcept>

#include "probes.h"

namespace veltrop::testing {

SessionBus::SessionBus(const std::string& folder) {
    const std::string socket = folder + "/bus";
    environmentEntry_ = "DBUS_SESSION_BUS_ADDRESS=unix:path=" + socket;
    daemon_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/dbus-daemon", "--session", "--nofork",
                                 "--address=unix:path=" + socket},
        folder, std::vector<std::string>{});
    if (!becomesTrue([&] { return std::filesystem::exists(socket); })) {
        throw std::runtime_error("dbus-daemon did not start");
    }
}

SessionBus::~SessionBus() {
    daemon_->stop(std::chrono::seconds(10));
}

}  // namespace veltrop::testing
