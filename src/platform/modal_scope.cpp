#include "platform/modal_scope.h"

#include <QApplication>
#include <QDialog>

#include "platform/form.h"

namespace veltrop {

namespace {

// The program's own windows: its forms and its message boxes. Popup menus and Qt's
// window for the notification-area icon stay enabled: they stand for the desktop's
// icon and its menu, which take input while any window of the program is modal, so
// that the icon's "Exit" can always end the program.
bool takesPartInModality(const QWidget& window) {
    return qobject_cast<const Form*>(&window) || qobject_cast<const QDialog*>(&window);
}

}  // namespace

ModalScope::ModalScope() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isWindow() && window->isVisible() && window->isEnabled() &&
            takesPartInModality(*window)) {
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
