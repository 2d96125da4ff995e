#include "x_display.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <stdexcept>

namespace veltrop::testing {

namespace {
// Windows of the programs under test come and go while we look at them; an error
// about a window that is gone just means it is not there.
int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

// Who asks the window manager for a change: a pager or the user, not an application.
constexpr long kSourcePager = 2;

// Deep enough for the window manager's frame and its decoration layers.
constexpr int kSearchDepth = 4;
// Deeper still: a tray host's frame, its panel, the socket and the icon in it.
constexpr int kEmbedSearchDepth = 6;
}  // namespace

XDisplay::XDisplay(const std::string& name) {
    XSetErrorHandler(ignoreError);
    display_ = XOpenDisplay(name.c_str());
    if (!display_) {
        throw std::runtime_error("cannot open display " + name);
    }
    root_ = DefaultRootWindow(display_);
    watch(root_);
}

XDisplay::~XDisplay() {
    XCloseDisplay(display_);
}

Atom XDisplay::atom(const char* name) {
    return XInternAtom(display_, name, False);
}

void XDisplay::watch(Window window) {
    XSelectInput(display_, window,
                 SubstructureNotifyMask | StructureNotifyMask | PropertyChangeMask);
}

bool XDisplay::waitUntil(const std::function<bool()>& condition,
                         std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            // New windows are watched too, so their names and states wake us.
            if (event.type == CreateNotify) {
                watch(event.xcreatewindow.window);
            } else if (event.type == ReparentNotify) {
                watch(event.xreparent.window);
            } else if (event.type == MapNotify) {
                mappedTitles_.insert(title(event.xmap.window));
            }
        }
        if (condition()) {
            return true;
        }
        // The condition's own requests may have read events off the connection,
        // which waiting on it would then miss.
        if (XEventsQueued(display_, QueuedAlready) > 0) {
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd connection{ConnectionNumber(display_), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(left.count()));
    }
}

std::string XDisplay::title(Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(display_, window, atom("_NET_WM_NAME"), 0, 1024, False,
                           atom("UTF8_STRING"), &type, &format, &count, &after, &data) == Success &&
        data) {
        text.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        return text;
    }
    char* name = nullptr;
    if (XFetchName(display_, window, &name) && name) {
        text = name;
        XFree(name);
    }
    return text;
}

bool XDisplay::hasProperty(Window window, const char* name) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool found =
        XGetWindowProperty(display_, window, atom(name), 0, 0, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) == Success &&
        type != None;
    if (data) {
        XFree(data);
    }
    return found;
}

std::vector<Window> XDisplay::childrenOf(Window window) {
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> result;
    if (XQueryTree(display_, window, &rootReturn, &parent, &children, &count) && children) {
        result.assign(children, children + count);
        XFree(children);
    }
    return result;
}

bool XDisplay::isViewable(Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display_, window, &attributes) &&
           attributes.map_state == IsViewable;
}

void XDisplay::collectClients(Window window, int depth, std::vector<Window>& clients) {
    for (Window child : childrenOf(window)) {
        if (!isViewable(child)) {
            continue;
        }
        if (hasProperty(child, "WM_PROTOCOLS")) {
            clients.push_back(child);
        } else if (depth > 0) {
            collectClients(child, depth - 1, clients);
        }
    }
}

std::vector<Window> XDisplay::windowsNamed(const std::string& wanted) {
    std::vector<Window> clients;
    collectClients(root_, kSearchDepth, clients);
    std::vector<Window> named;
    for (Window client : clients) {
        if (title(client) == wanted) {
            named.push_back(client);
        }
    }
    return named;
}

std::vector<std::string> XDisplay::titles() {
    std::vector<Window> clients;
    collectClients(root_, kSearchDepth, clients);
    std::vector<std::string> result;
    for (Window client : clients) {
        result.push_back(title(client));
    }
    return result;
}

Window XDisplay::topLevelAncestor(Window window) {
    for (;;) {
        Window rootReturn = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display_, window, &rootReturn, &parent, &children, &count)) {
            return window;
        }
        if (children) {
            XFree(children);
        }
        if (parent == root_ || parent == 0) {
            return window;
        }
        window = parent;
    }
}

std::optional<Window> XDisplay::framedWindowNamed(const std::string& wanted) {
    for (Window client : windowsNamed(wanted)) {
        if (topLevelAncestor(client) != client && hasProperty(client, "_NET_FRAME_EXTENTS")) {
            return client;
        }
    }
    return std::nullopt;
}

Window XDisplay::waitForActiveWindow(const std::string& title, std::chrono::milliseconds timeout) {
    Window window = 0;
    waitUntil(
        [&] {
            window = framedWindowNamed(title).value_or(0);
            return window != 0 && activeWindow() == window;
        },
        timeout);
    return window != 0 && activeWindow() == window ? window : 0;
}

bool XDisplay::waitForWindowManager(std::chrono::milliseconds timeout) {
    static constexpr const char* kProbeTitle = "window manager probe";
    const Window probe = mapPlainWindow(kProbeTitle);
    const bool framed =
        waitUntil([this] { return framedWindowNamed(kProbeTitle).has_value(); }, timeout);
    destroyWindow(probe);
    return framed;
}

Window XDisplay::mapPlainWindow(const std::string& title) {
    const Window window = XCreateSimpleWindow(display_, root_, 0, 0, 10, 10, 0, 0, 0);
    XStoreName(display_, window, title.c_str());
    Atom deleteWindow = atom("WM_DELETE_WINDOW");
    XSetWMProtocols(display_, window, &deleteWindow, 1);
    XMapWindow(display_, window);
    XFlush(display_);
    return window;
}

void XDisplay::destroyWindow(Window window) {
    XDestroyWindow(display_, window);
    XFlush(display_);
}

FrameGeometry XDisplay::frameGeometry(Window client) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display_, topLevelAncestor(client), &attributes);
    return {attributes.x, attributes.y, attributes.width + 2 * attributes.border_width,
            attributes.height + 2 * attributes.border_width};
}

Window XDisplay::activeWindow() {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    Window active = 0;
    if (XGetWindowProperty(display_, root_, atom("_NET_ACTIVE_WINDOW"), 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &after, &data) == Success &&
        data) {
        if (count == 1) {
            active = *reinterpret_cast<const Window*>(data);
        }
        XFree(data);
    }
    return active;
}

std::vector<std::string> XDisplay::netWmState(Window client) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<std::string> names;
    if (XGetWindowProperty(display_, client, atom("_NET_WM_STATE"), 0, 64, False, XA_ATOM, &type,
                           &format, &count, &after, &data) != Success ||
        !data) {
        return names;
    }
    const auto* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long index = 0; index < count; ++index) {
        if (char* name = XGetAtomName(display_, atoms[index])) {
            names.emplace_back(name);
            XFree(name);
        }
    }
    XFree(data);
    return names;
}

long XDisplay::wmState(Window client) {
    return firstLong(client, "WM_STATE").value_or(WithdrawnState);
}

FrameGeometry XDisplay::geometry(Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes)) {
        return {};
    }
    return {attributes.x, attributes.y, attributes.width, attributes.height};
}

std::vector<unsigned> XDisplay::iconPixels(Window client, int size) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned> pixels;
    // Room for every size from 16 to 256 pixels.
    constexpr long kMaximumLongs = 1 << 18;
    if (XGetWindowProperty(display_, client, atom("_NET_WM_ICON"), 0, kMaximumLongs, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) != Success ||
        !data) {
        return pixels;
    }
    // Xlib hands 32-bit items over as longs: width, height, then the pixels, per size.
    const auto* items = reinterpret_cast<const long*>(data);
    for (unsigned long at = 0; at + 2 <= count;) {
        const unsigned long width = items[at];
        const unsigned long height = items[at + 1];
        const unsigned long start = at + 2;
        if (start + width * height > count) {
            break;
        }
        if (width == static_cast<unsigned long>(size) && height == width) {
            for (unsigned long index = start; index < start + width * height; ++index) {
                pixels.push_back(static_cast<unsigned>(items[index]));
            }
            break;
        }
        at = start + width * height;
    }
    XFree(data);
    return pixels;
}

pid_t XDisplay::processOf(Window window) {
    return static_cast<pid_t>(firstLong(window, "_NET_WM_PID").value_or(0));
}

std::optional<long> XDisplay::firstLong(Window window, const char* name) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::optional<long> value;
    if (XGetWindowProperty(display_, window, atom(name), 0, 1, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) == Success &&
        data) {
        if (format == 32 && count == 1) {
            value = *reinterpret_cast<const long*>(data);
        }
        XFree(data);
    }
    return value;
}

std::vector<Window> XDisplay::windowList(const char* name) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<Window> windows;
    if (XGetWindowProperty(display_, root_, atom(name), 0, 1024, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success &&
        data) {
        const auto* list = reinterpret_cast<const Window*>(data);
        windows.assign(list, list + count);
        XFree(data);
    }
    return windows;
}

std::vector<Window> XDisplay::clientList() {
    return windowList("_NET_CLIENT_LIST");
}

std::vector<Window> XDisplay::stackingOrder() {
    return windowList("_NET_CLIENT_LIST_STACKING");
}

std::vector<Window> XDisplay::popupsOf(pid_t process) {
    std::vector<Window> popups;
    for (Window child : childrenOf(root_)) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display_, child, &attributes) &&
            attributes.map_state == IsViewable && attributes.override_redirect &&
            processOf(child) == process) {
            popups.push_back(child);
        }
    }
    return popups;
}

void XDisplay::collectEmbedded(Window window, int depth, bool insideHost, pid_t host, pid_t process,
                               std::vector<Window>& found) {
    for (Window child : childrenOf(window)) {
        if (!isViewable(child)) {
            continue;
        }
        const pid_t owner = processOf(child);
        if (insideHost && owner == process && hasProperty(child, "_XEMBED_INFO")) {
            found.push_back(child);
        } else if (depth > 0) {
            collectEmbedded(child, depth - 1, insideHost || owner == host, host, process, found);
        }
    }
}

std::vector<Window> XDisplay::embeddedIn(pid_t host, pid_t process) {
    std::vector<Window> found;
    collectEmbedded(root_, kEmbedSearchDepth, false, host, process, found);
    return found;
}

bool XDisplay::selectionHasOwner(const char* selection) {
    return XGetSelectionOwner(display_, atom(selection)) != None;
}

void XDisplay::requestClose(Window client) {
    sendToWindowManager(client, "_NET_CLOSE_WINDOW", {CurrentTime, kSourcePager});
}

void XDisplay::requestMaximise(Window client) {
    constexpr long kAdd = 1;
    sendToWindowManager(client, "_NET_WM_STATE",
                        {kAdd, static_cast<long>(atom("_NET_WM_STATE_MAXIMIZED_VERT")),
                         static_cast<long>(atom("_NET_WM_STATE_MAXIMIZED_HORZ")), kSourcePager});
}

void XDisplay::askToClose(Window client) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = client;
    event.xclient.message_type = atom("WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(atom("WM_DELETE_WINDOW"));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, client, False, NoEventMask, &event);
    XFlush(display_);
}

void XDisplay::sendToWindowManager(Window client, const char* message,
                                   std::initializer_list<long> data) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = client;
    event.xclient.message_type = atom(message);
    event.xclient.format = 32;
    int index = 0;
    for (long value : data) {
        event.xclient.data.l[index++] = value;
    }
    XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display_);
}

bool XDisplay::everMapped(const std::string& title) {
    // Takes in the events that have come since the last wait.
    waitUntil([] { return true; }, std::chrono::milliseconds(0));
    return mappedTitles_.count(title) > 0;
}

void XDisplay::forgetMappedWindows() {
    waitUntil([] { return true; }, std::chrono::milliseconds(0));
    mappedTitles_.clear();
}

}  // namespace veltrop::testing
