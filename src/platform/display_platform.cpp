#include "platform/display_platform.h"

#include <cstring>

namespace veltrop {

namespace {

const char* const kPlatformVariable = "QT_QPA_PLATFORM";

// Set only while the application object is being made.
bool chosenHere = false;

// Qt takes "-platform NAME" and "--platform NAME".
bool isPlatformOption(const char* argument) {
    return std::strcmp(argument, "-platform") == 0 || std::strcmp(argument, "--platform") == 0;
}

}  // namespace

DisplaySession currentDisplaySession(int argc, char** argv) {
    bool option = false;
    for (int i = 1; i < argc; ++i) {
        option = option || isPlatformOption(argv[i]);
    }
    return {qgetenv(kPlatformVariable), option, qgetenv("WAYLAND_DISPLAY"),
            qgetenv("XDG_SESSION_TYPE"), qgetenv("DISPLAY")};
}

QByteArray displayPlatformFor(const DisplaySession& session) {
    if (!session.qpaPlatform.isEmpty() || session.platformOption) {
        return {};
    }
    if (session.waylandDisplay.isEmpty() && session.sessionType != "wayland") {
        return {};
    }
    // XWayland first; should its display not answer, Wayland itself.
    return session.x11Display.isEmpty() ? QByteArray("wayland") : QByteArray("xcb;wayland");
}

int& chooseDisplayPlatform(int& argc, char** argv) {
    const QByteArray platform = displayPlatformFor(currentDisplaySession(argc, argv));
    if (!platform.isEmpty()) {
        qputenv(kPlatformVariable, platform);
        chosenHere = true;
    }
    return argc;
}

void forgetDisplayPlatformChoice() {
    if (chosenHere) {
        qunsetenv(kPlatformVariable);
        chosenHere = false;
    }
}

}  // namespace veltrop
