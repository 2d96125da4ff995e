// A clipboard manager as desktops run one: it owns CLIPBOARD_MANAGER, and when a program
// about to end asks it to SAVE_TARGETS, it fetches the clipboard's text and takes the
// clipboard over, so that the text outlives the program. It writes "ready" into the
// file given once it owns its selection, and ends by itself after two minutes.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace {

Display* display = nullptr;
Window window = 0;
std::string saved;
bool holding = false;

Atom atom(const char* name) {
    return XInternAtom(display, name, False);
}

// Fetches the clipboard's text; empty when there is no owner or no text.
std::string fetchClipboard() {
    const Atom property = atom("VELTROP_TEST_SAVED");
    XConvertSelection(display, atom("CLIPBOARD"), atom("UTF8_STRING"), property, window,
                      CurrentTime);
    XEvent event;
    do {
        XNextEvent(display, &event);
    } while (event.type != SelectionNotify);
    if (event.xselection.property == None) {
        return {};
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, property, 0, 1 << 20, True, AnyPropertyType, &type, &format,
                       &count, &after, &data);
    std::string text(reinterpret_cast<char*>(data), count);
    XFree(data);
    return text;
}

void reply(const XSelectionRequestEvent& request, Atom property) {
    XEvent notify{};
    notify.xselection.type = SelectionNotify;
    notify.xselection.requestor = request.requestor;
    notify.xselection.selection = request.selection;
    notify.xselection.target = request.target;
    notify.xselection.property = property;
    notify.xselection.time = request.time;
    XSendEvent(display, request.requestor, False, 0, &notify);
    XFlush(display);
}

void answer(const XSelectionRequestEvent& request) {
    if (request.selection == atom("CLIPBOARD_MANAGER") && request.target == atom("SAVE_TARGETS")) {
        saved = fetchClipboard();
        if (!saved.empty()) {
            XSetSelectionOwner(display, atom("CLIPBOARD"), window, CurrentTime);
            holding = true;
        }
        reply(request, request.property);
        return;
    }
    if (request.selection == atom("CLIPBOARD") && holding) {
        if (request.target == atom("TARGETS")) {
            const Atom targets[] = {atom("UTF8_STRING"), XA_STRING};
            XChangeProperty(display, request.requestor, request.property, XA_ATOM, 32,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(targets), 2);
            reply(request, request.property);
            return;
        }
        if (request.target == atom("UTF8_STRING") || request.target == XA_STRING) {
            XChangeProperty(display, request.requestor, request.property, request.target, 8,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(saved.data()),
                            static_cast<int>(saved.size()));
            reply(request, request.property);
            return;
        }
    }
    reply(request, None);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || !(display = XOpenDisplay(nullptr))) {
        return 2;
    }
    alarm(120);
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, atom("CLIPBOARD_MANAGER"), window, CurrentTime);
    XSync(display, False);
    std::ofstream(argv[1]) << "ready";
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == SelectionRequest) {
            answer(event.xselectionrequest);
        } else if (event.type == SelectionClear) {
            holding = false;
        }
    }
}
