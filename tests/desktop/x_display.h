#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace veltrop::testing {

struct FrameGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A connection to a test display for looking at the windows of the programs on it.
// Waiting is driven by the X server's structure and property events on the root
// window and on every top-level window, never by polling.
class XDisplay {
public:
    explicit XDisplay(const std::string& name);
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    // Waits until the condition holds, re-checking after each event; false on timeout.
    bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

    // Viewable client windows with this title, on the whole display.
    std::vector<Window> windowsNamed(const std::string& title);
    // A viewable client window with this title that the window manager has framed.
    std::optional<Window> framedWindowNamed(const std::string& title);
    // Waits until such a window is framed and active; 0 on timeout.
    Window waitForActiveWindow(const std::string& title, std::chrono::milliseconds timeout);
    // Titles of every viewable client window.
    std::vector<std::string> titles();

    // Waits until the window manager frames windows: it announces itself before it
    // does, so a window of our own is mapped and waited for.
    bool waitForWindowManager(std::chrono::milliseconds timeout);
    // A plain top-level window of the test's own, mapped at once; the caller destroys it.
    Window mapPlainWindow(const std::string& title);
    void destroyWindow(Window window);
    FrameGeometry frameGeometry(Window client);
    // The window manager's active window (_NET_ACTIVE_WINDOW), or 0.
    Window activeWindow();
    std::vector<std::string> netWmState(Window client);
    // The ICCCM state the window manager gives the client (NormalState, IconicState),
    // WithdrawnState when it gives none.
    long wmState(Window client);
    bool isViewable(Window window);
    // The window's own size and place in its parent, frame not included.
    FrameGeometry geometry(Window window);
    // The window's icon of this size from _NET_WM_ICON, as ARGB pixels row by row;
    // empty when it offers none of that size.
    std::vector<unsigned> iconPixels(Window client, int size);
    // The process that made the window (_NET_WM_PID), or 0.
    pid_t processOf(Window window);

    // The windows a taskbar shows (_NET_CLIENT_LIST).
    std::vector<Window> clientList();
    // The window manager's client windows from bottom to top (_NET_CLIENT_LIST_STACKING).
    std::vector<Window> stackingOrder();
    // The process's viewable override-redirect top-level windows: its open popup menus.
    std::vector<Window> popupsOf(pid_t process);
    // The process's viewable XEmbed windows that sit inside a window of the host
    // process: its icons docked in a notification area.
    std::vector<Window> embeddedIn(pid_t host, pid_t process);
    // Whether some client owns the selection, such as a tray host's _NET_SYSTEM_TRAY_S0.
    bool selectionHasOwner(const char* selection);

    // What the window's close box does: asks the window manager to close it.
    void requestClose(Window client);
    // What the title bar's maximise box does.
    void requestMaximise(Window client);
    // What a window manager sends the window for its close box (WM_DELETE_WINDOW), for
    // window managers that take no request to close.
    void askToClose(Window client);

    // Whether a window with this title was mapped since the connection was opened or
    // told to forget, even if it is gone again.
    bool everMapped(const std::string& title);
    void forgetMappedWindows();

private:
    Atom atom(const char* name);
    std::string title(Window window);
    bool hasProperty(Window window, const char* name);
    std::optional<long> firstLong(Window window, const char* name);
    std::vector<Window> windowList(const char* name);
    std::vector<Window> childrenOf(Window window);
    void collectEmbedded(Window window, int depth, bool insideHost, pid_t host, pid_t process,
                         std::vector<Window>& found);
    Window topLevelAncestor(Window window);
    void watch(Window window);
    void collectClients(Window window, int depth, std::vector<Window>& clients);

    void sendToWindowManager(Window client, const char* message, std::initializer_list<long> data);

    Display* display_ = nullptr;
    std::set<std::string> mappedTitles_;
    Window root_ = 0;
};

}  // namespace veltrop::testing
