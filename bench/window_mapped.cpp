// Runs a program, waits for the window manager to manage and map its top-level window with a
// given title, and prints how long that took from the exec, the program's resident memory a
// moment later, and its exit status after the window was asked to close.
//
//   window_mapped [--settle MS] [--timeout S] TITLE PROGRAM [ARGS...]
//   prints: <ms from exec to mapped> <VmRSS kB after settling> <exit status>
//
// It waits on X events and on a pidfd, never polls: polling the server on 2 cores slows the
// program being measured.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    int settleMs = 300;
    int timeoutSeconds = 60;
    std::string title;
    char** command = nullptr;
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "window_mapped: %s\n", message.c_str());
    std::exit(2);
}

Options parseOptions(int argc, char** argv) {
    Options options;
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
        if (std::strcmp(argv[i], "--settle") == 0) {
            options.settleMs = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--timeout") == 0) {
            options.timeoutSeconds = std::atoi(argv[i + 1]);
        } else {
            fail(std::string("unknown option ") + argv[i]);
        }
    }
    if (argc - i < 2) {
        fail("usage: window_mapped [--settle MS] [--timeout S] TITLE PROGRAM [ARGS...]");
    }
    options.title = argv[i];
    options.command = argv + i + 1;
    return options;
}

// Windows vanish between the client list and our requests about them; that is no error here.
int ignoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

class Server {
public:
    Server() : display_(XOpenDisplay(nullptr)) {
        if (display_ == nullptr) {
            fail("cannot open the X display");
        }
        fcntl(ConnectionNumber(display_), F_SETFD, FD_CLOEXEC);
        XSetErrorHandler(ignoreXErrors);
        root_ = DefaultRootWindow(display_);
        XSelectInput(display_, root_, PropertyChangeMask | SubstructureNotifyMask);
        XSync(display_, False);
    }
    ~Server() { XCloseDisplay(display_); }

    int fd() const { return ConnectionNumber(display_); }

    // Replies to our queries may bring events along; those must not wait for the next poll.
    bool drainEvents() {
        bool any = false;
        XEvent event;
        while (XPending(display_) > 0) {
            XNextEvent(display_, &event);
            any = true;
        }
        return any;
    }

    // The first managed client of `pid` titled `title` that is viewable, if any.
    std::optional<Window> mappedClient(const std::string& title, pid_t pid) {
        for (Window window : windowList(root_, atom("_NET_CLIENT_LIST"))) {
            if (watched_.insert(window).second) {
                XSelectInput(display_, window, PropertyChangeMask | StructureNotifyMask);
            }
            if (titleOf(window) == title && pidOf(window) == pid && isViewable(window)) {
                return window;
            }
        }
        XFlush(display_);
        return std::nullopt;
    }

    void askToClose(Window window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = atom("WM_PROTOCOLS");
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(atom("WM_DELETE_WINDOW"));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, window, False, NoEventMask, &event);
        XFlush(display_);
    }

private:
    Atom atom(const char* name) { return XInternAtom(display_, name, False); }

    std::vector<unsigned char> property(Window window, Atom name, Atom type, int* format) {
        Atom actualType = None;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        std::vector<unsigned char> bytes;
        if (XGetWindowProperty(display_, window, name, 0, 1 << 16, False, type, &actualType, format,
                               &count, &remaining, &data) == Success &&
            data != nullptr) {
            const unsigned long unit = *format == 32 ? sizeof(long) : *format / 8;
            bytes.assign(data, data + count * unit);
        }
        XFree(data);
        return bytes;
    }

    std::vector<Window> windowList(Window window, Atom name) {
        int format = 0;
        const auto bytes = property(window, name, XA_WINDOW, &format);
        std::vector<Window> windows(bytes.size() / sizeof(long));
        std::memcpy(windows.data(), bytes.data(), windows.size() * sizeof(long));
        return windows;
    }

    std::string titleOf(Window window) {
        int format = 0;
        auto bytes = property(window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), &format);
        if (bytes.empty()) {
            bytes = property(window, XA_WM_NAME, AnyPropertyType, &format);
        }
        return std::string(bytes.begin(), bytes.end());
    }

    long pidOf(Window window) {
        int format = 0;
        const auto bytes = property(window, atom("_NET_WM_PID"), XA_CARDINAL, &format);
        long pid = -1;
        if (bytes.size() == sizeof(long)) {
            std::memcpy(&pid, bytes.data(), sizeof(long));
        }
        return pid;
    }

    bool isViewable(Window window) {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(display_, window, &attributes) != 0 &&
               attributes.map_state == IsViewable;
    }

    Display* display_;
    Window root_ = None;
    std::set<Window> watched_;
};

pid_t launch(char** command) {
    const pid_t pid = fork();
    if (pid == 0) {
        // Our stdout carries the figures only.
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execvp(command[0], command);
        std::perror(command[0]);
        _exit(127);
    }
    if (pid < 0) {
        fail("fork failed");
    }
    return pid;
}

int openPidFd(pid_t pid) {
    const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) {
        fail("pidfd_open failed");
    }
    return fd;
}

// Waits for X traffic or the program's exit; false when the program has exited.
bool waitForEvents(int xFd, int pidFd, int timeoutMs) {
    pollfd fds[] = {{xFd, POLLIN, 0}, {pidFd, POLLIN, 0}};
    poll(fds, 2, timeoutMs);
    return (fds[1].revents & POLLIN) == 0;
}

bool hasExited(int pidFd, int waitMs) {
    pollfd fd{pidFd, POLLIN, 0};
    return poll(&fd, 1, waitMs) > 0;
}

long residentKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long value = -1;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            break;
        }
        status.ignore(1 << 16, '\n');
    }
    return value;
}

int exitStatus(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    Server server;

    const Clock::time_point start = Clock::now();
    const pid_t pid = launch(options.command);
    const int pidFd = openPidFd(pid);
    const Clock::time_point deadline = start + std::chrono::seconds(options.timeoutSeconds);

    std::optional<Window> window;
    while (!(window = server.mappedClient(options.title, pid))) {
        if (server.drainEvents()) {
            continue;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            kill(pid, SIGKILL);
            exitStatus(pid);
            std::fprintf(stderr, "window_mapped: no window \"%s\" within %d s\n",
                         options.title.c_str(), options.timeoutSeconds);
            return 1;
        }
        if (!waitForEvents(server.fd(), pidFd, left.count())) {
            std::fprintf(stderr, "window_mapped: exit status %d before a window \"%s\"\n",
                         exitStatus(pid), options.title.c_str());
            return 1;
        }
    }
    const double mappedMs = millisecondsSince(start);

    hasExited(pidFd, options.settleMs);
    const long rssKb = residentKilobytes(pid);

    server.askToClose(*window);
    if (!hasExited(pidFd, 10000)) {
        kill(pid, SIGKILL);
    }
    std::printf("%.1f %ld %d\n", mappedMs, rssKb, exitStatus(pid));
    return 0;
}
