#include "app/program_windows.h"

#include "dialogs/confirm.h"
#include "dialogs/password_dialog.h"
#include "dialogs/select_window.h"
#include "main_window/form1.h"

namespace veltrop {

Table::PasswordPrompt ProgramWindows::passwordPrompt(engine::Session& session) const {
    return passwordDialogPrompt(session);
}

std::unique_ptr<Form> ProgramWindows::createForm1(engine::Session& session,
                                                  Table::PasswordPrompt prompt) const {
    return std::make_unique<TForm1>(session, std::move(prompt));
}

std::unique_ptr<Form> ProgramWindows::createForm2(engine::Session& session,
                                                  Table::PasswordPrompt prompt) const {
    return std::make_unique<TForm2>(session, std::move(prompt));
}

std::unique_ptr<Form> ProgramWindows::createForm3() const {
    return std::make_unique<TForm3>();
}

}  // namespace veltrop
