#include "platform/application_window.h"

#include <QApplication>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include "platform/x11_start_state.h"

namespace veltrop {

void restoreApplication(QWidget& shown) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->windowState() & Qt::WindowMinimized) {
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        }
    }
    mapInNormalState(shown);
}

// Queued: a window being shown is not on screen yet, and the window manager only
// raises and focuses what it has mapped.
void bringToFront(QWidget& window) {
    QMetaObject::invokeMethod(
        &window,
        [target = QPointer<QWidget>(&window)] {
            if (target && target->isVisible()) {
                target->raise();
                target->activateWindow();
            }
        },
        Qt::QueuedConnection);
}

}  // namespace veltrop
