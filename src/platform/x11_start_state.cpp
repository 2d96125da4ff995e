#include "platform/x11_start_state.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QWidget>

// After Qt's headers: Xlib's macros clash with Qt's names.
#include <X11/Xutil.h>

namespace veltrop {

void mapInNormalState(QWidget& window) {
    // Xlib only on X11: on Wayland itself there is no such hint to undo.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return;
    }
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display() || !window.testAttribute(Qt::WA_WState_Created)) {
        return;
    }
    Display* display = x11->display();
    const auto handle = static_cast<::Window>(window.winId());
    XWMHints* hints = XGetWMHints(display, handle);
    if (!hints) {
        return;
    }
    if ((hints->flags & StateHint) && hints->initial_state == IconicState) {
        hints->initial_state = NormalState;
        XSetWMHints(display, handle, hints);
        XFlush(display);
    }
    XFree(hints);
}

}  // namespace veltrop
