#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

#include "platform/top_most.h"

namespace veltrop {

// The program-wide state while a modal window or a message box is up: every
// visible, enabled form and message box of the program is disabled, always-on-top
// windows are lowered, and both are undone exactly when the scope ends.
class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    std::vector<QPointer<QWidget>> disabled_;
    TopMostLowering lowering_;
};

}  // namespace veltrop
