#include "platform/modal_scope.h"

#include <QApplication>

namespace veltrop {

ModalScope::ModalScope() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isWindow() && window->isVisible() && window->isEnabled()) {
            window->setEnabled(false);
            disabled_.emplace_back(window);
        }
    }
}

ModalScope::~ModalScope() {
    for (const QPointer<QWidget>& window : disabled_) {
        if (window) {
            window->setEnabled(true);
        }
    }
}

}  // namespace veltrop
