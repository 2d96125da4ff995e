#include "app/startup.h"

#include <optional>

#include "app/startup_failure.h"
#include "app/table_file_setup.h"
#include "app/window_set.h"

namespace veltrop {

int runProgram(Application& app, const WindowFactory& factory) {
    std::optional<engine::Session> session;
    WindowSet windows;
    try {
        session.emplace();
        createMissingCredentialTable(*session);
        windows.create(factory, *session);
    } catch (...) {
        // The windows built so far go before the box, which has no owner.
        windows.destroy();
        reportStartupFailure(std::current_exception(), app.stopBox());
        return 1;
    }
    app.run(windows.mainForm());
    windows.destroy();
    return 0;
}

}  // namespace veltrop
