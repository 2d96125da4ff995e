// The program as start-up runs it, but with a main window whose notification-area
// icon declares StartMinimized: the icon's Loaded() runs again once it is set, as it
// would have run after a form's loading that read the setting.
#include "app/application.h"
#include "app/program_windows.h"
#include "app/startup.h"
#include "main_window/form1.h"

namespace {

class StartMinimizedWindows : public veltrop::ProgramWindows {
public:
    std::unique_ptr<veltrop::Form> createForm1(
        veltrop::engine::Session& session, veltrop::Table::PasswordPrompt prompt) const override {
        auto form = ProgramWindows::createForm1(session, std::move(prompt));
        veltrop::TTrayIcon& icon = *static_cast<veltrop::TForm1&>(*form).TrayIcon1();
        icon.setStartMinimized(true);
        icon.Loaded();
        return form;
    }
};

}  // namespace

int main(int argc, char** argv) {
    veltrop::Application app(argc, argv);
    return veltrop::runProgram(app, StartMinimizedWindows());
}
