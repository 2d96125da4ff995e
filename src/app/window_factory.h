#pragma once

#include <memory>

#include "engine/session.h"
#include "platform/form.h"
#include "store/table.h"

namespace veltrop {

// Makes the program's three windows; start-up calls it in the order Form1, Form2,
// Form3. Any of them may fail by throwing, which ends start-up.
class WindowFactory {
public:
    virtual ~WindowFactory() = default;

    // What a cursor asks when its table is protected and no listed password fits.
    virtual Table::PasswordPrompt passwordPrompt(engine::Session& session) const = 0;

    virtual std::unique_ptr<Form> createForm1(engine::Session& session,
                                              Table::PasswordPrompt prompt) const = 0;
    virtual std::unique_ptr<Form> createForm2(engine::Session& session,
                                              Table::PasswordPrompt prompt) const = 0;
    virtual std::unique_ptr<Form> createForm3() const = 0;

    // Gives the windows the references to each other that their handlers use, once
    // all three exist.
    virtual void connectWindows(Form& /*form1*/, Form& /*form2*/, Form& /*form3*/) const {}
};

}  // namespace veltrop
