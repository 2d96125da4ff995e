#pragma once

class QWidget;

namespace veltrop {

// What stands for the application's own window on this desktop. X11 has no hidden
// application window: every top-level window has its own taskbar entry, which goes
// and comes with the window itself.

// Un-minimises the application as one of its windows is being shown: its minimised
// top-level windows return to their normal or maximised state, and the window shown
// appears in it too.
void restoreApplication(QWidget& shown);

// Raises the window and gives it the focus, once it is on screen.
void bringToFront(QWidget& window);

}  // namespace veltrop
