#include "platform/application_window.h"

#include <QApplication>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include "platform/x11_start_state.h"

namespace veltrop {

namespace {

void unminimise(QWidget& window) {
    if (window.windowState() & Qt::WindowMinimized) {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    }
}

}  // namespace

// The window being shown is un-minimised only once it is mapped: un-minimising a
// hidden window maps it at once, before Qt gives it its states, and the window
// manager then frames it without "always on top".
void restoreApplication(QWidget& shown) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != &shown) {
            unminimise(*window);
        }
    }
    mapInNormalState(shown);
    QMetaObject::invokeMethod(
        &shown,
        [target = QPointer<QWidget>(&shown)] {
            if (target) {
                unminimise(*target);
            }
        },
        Qt::QueuedConnection);
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
