#pragma once

#include "app/window_factory.h"

namespace veltrop {

// The program's own windows: TForm1, TForm2, TForm3, and the password dialog as
// the cursors' prompt.
class ProgramWindows : public WindowFactory {
public:
    Table::PasswordPrompt passwordPrompt(engine::Session& session) const override;
    std::unique_ptr<Form> createForm1(engine::Session& session,
                                      Table::PasswordPrompt prompt) const override;
    std::unique_ptr<Form> createForm2(engine::Session& session,
                                      Table::PasswordPrompt prompt) const override;
    std::unique_ptr<Form> createForm3() const override;
    void connectWindows(Form& form1, Form& form2, Form& form3) const override;
};

}  // namespace veltrop
