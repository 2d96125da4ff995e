#pragma once

#include <QByteArray>

namespace veltrop {

// What decides the platform the program runs on.
struct DisplaySession {
    QByteArray qpaPlatform;     // QT_QPA_PLATFORM
    bool platformOption;        // Qt's own -platform option was given
    QByteArray waylandDisplay;  // WAYLAND_DISPLAY
    QByteArray sessionType;     // XDG_SESSION_TYPE
    QByteArray x11Display;      // DISPLAY
};

DisplaySession currentDisplaySession(int argc, char** argv);

// The platform plugins to ask Qt for, in the order to try them, or nothing to leave the
// choice to Qt. On a Wayland session the program is an X11 client through XWayland
// wherever the session offers an X display: Wayland lets no client place its windows or
// keep one above the others. Without one it runs on Wayland itself. A platform the user
// chose stands.
QByteArray displayPlatformFor(const DisplaySession& session);

// Asks Qt for that platform in the application object about to be made; gives argc
// back for that object.
int& chooseDisplayPlatform(int& argc, char** argv);
// Once the application object exists: the programs that this one starts (a browser,
// a mail program) make their own choice.
void forgetDisplayPlatformChoice();

}  // namespace veltrop
