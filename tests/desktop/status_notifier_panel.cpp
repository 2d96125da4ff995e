#include "status_notifier_panel.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "probes.h"

namespace veltrop::testing {

StatusNotifierPanel::StatusNotifierPanel(const std::string& folder,
                                         const std::vector<std::string>& environment)
    : folder_(folder) {
    host_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/python3", VELTROP_STATUS_NOTIFIER_HOST, folder_},
        folder_, environment);
    if (!signalled("ready")) {
        throw std::runtime_error("the StatusNotifier host did not start");
    }
}

bool StatusNotifierPanel::signalled(const std::string& name) {
    return becomesTrue([&] { return std::filesystem::exists(folder_ + "/" + name); });
}

bool StatusNotifierPanel::ask(const std::string& request, const std::string& answer) {
    std::filesystem::remove(folder_ + "/" + answer);
    std::ofstream(folder_ + "/" + request).flush();
    return signalled(answer);
}

}  // namespace veltrop::testing
