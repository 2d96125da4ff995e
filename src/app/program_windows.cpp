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

// The forms are the ones made above.
void ProgramWindows::connectWindows(Form& form1, Form& form2, Form& form3) const {
    auto& main = static_cast<TForm1&>(form1);
    auto& selection = static_cast<TForm2&>(form2);
    main.setDialogs(selection, static_cast<TForm3&>(form3));
    selection.setMainTable(&main.Table1());
}

}  // namespace veltrop
