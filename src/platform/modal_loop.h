#pragma once

#include "platform/form.h"

namespace veltrop {

inline constexpr const char* kCannotMakeVisibleWindowModal = "Cannot make a visible window modal";

// Shows the form modally and returns its modal result: every other visible enabled
// form and message box is disabled meanwhile (see ModalScope), and a terminating application ends
// the loop with 2. Throws InvalidOperation when the form is visible, disabled or already modal.
int showModal(Form& form);

}  // namespace veltrop
