#include "app/startup.h"

#include <optional>

#include "app/startup_failure.h"
#include "app/startup_notices.h"
#include "app/table_file_setup.h"
#include "app/window_set.h"
#include "engine/aside_files.h"
#include "platform/termination.h"
#include "store/credential_table.h"

namespace veltrop {

int runProgram(Application& app, const WindowFactory& factory) {
    std::optional<engine::Session> session;
    WindowSet windows;
    try {
        session.emplace();
        engine::removeLeftovers(credentials::kFileName);
        createMissingCredentialTable(*session);
        windows.create(factory, *session);
    } catch (...) {
        // The windows built so far go before the box, which has no owner.
        windows.destroy();
        // The session ended while start-up asked for a password: the program ends
        // as asked, with nothing to report.
        if (isTerminating()) {
            return 0;
        }
        reportStartupFailure(std::current_exception(), app.stopBox());
        return 1;
    }
    tellAfterShow(startupNotices(credentials::kFileName));
    app.run(windows.mainForm());
    windows.destroy();
    return 0;
}

}  // namespace veltrop
