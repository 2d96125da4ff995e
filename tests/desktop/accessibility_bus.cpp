#include "accessibility_bus.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace veltrop::testing {

namespace {

constexpr std::chrono::seconds kTimeout{60};

std::vector<std::string> with(std::vector<std::string> environment, const std::string& entry) {
    environment.push_back(entry);
    return environment;
}

}  // namespace

AccessibilityBus::AccessibilityBus(const std::string& folder,
                                   std::vector<std::string> desktopEnvironment)
    : folder_(folder),
      bus_(folder),
      environment_(with(std::move(desktopEnvironment), bus_.environmentEntry())) {
    launcher_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/libexec/at-spi-bus-launcher", "--launch-immediately"},
        folder_, environment_);
    // The launcher has taken its name on the session bus, which a program asks for the
    // accessibility bus's address. Asked without starting it: the bus would start
    // another launcher.
    for (int attempt = 0; attempt < 200; ++attempt) {
        ChildProcess asking({"/bin/sh", "-c",
                             "/usr/bin/dbus-send --session --print-reply "
                             "--dest=org.freedesktop.DBus /org/freedesktop/DBus "
                             "org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus "
                             "| grep -q 'boolean true'"},
                            folder_, environment_);
        if (asking.waitForExit(kTimeout) == 0) {
            return;
        }
    }
    throw std::runtime_error("at-spi-bus-launcher did not start");
}

// The launcher ends the accessibility bus it started, and with it the registry.
AccessibilityBus::~AccessibilityBus() {
    launcher_->stop(kTimeout);
}

std::vector<std::string> AccessibilityBus::readableProgram() const {
    return {bus_.environmentEntry(), "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"};
}

std::unique_ptr<ChildProcess> AccessibilityBus::startReader(
    const std::vector<std::string>& arguments) {
    std::vector<std::string> command{"/usr/bin/python3", VELTROP_ATSPI_READER};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return std::make_unique<ChildProcess>(command, folder_, environment_);
}

int AccessibilityBus::runReader(const std::vector<std::string>& arguments) {
    return startReader(arguments)->waitForExit(kTimeout).value_or(-1);
}

std::vector<std::string> AccessibilityBus::read(const std::string& mode) {
    const std::string out = folder_ + "/" + mode + ".txt";
    std::filesystem::remove(out);
    std::vector<std::string> lines;
    if (runReader({mode, out}) != 0) {
        return lines;
    }
    std::ifstream file(out);
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace veltrop::testing
