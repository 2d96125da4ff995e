#include <gtest/gtest.h>

// Before the X headers, whose macros clash with Qt's names.
#include "engine/session.h"
#include "store/credential_table.h"
#include "support/credential_records.h"

#include <algorithm>
#include <cstdlib>

#include "accessibility_bus.h"
#include "probes.h"
#include "status_notifier_panel.h"
#include "support/temp_folder.h"
#include "wayland_session.h"
#include "x_display.h"

// The real program in a headless Wayland session (weston): an X11 client through
// XWayland where the session offers it, natively on Wayland where it does not or where
// the user asks for Wayland. What shows on Wayland itself is read through the
// accessibility bus, which needs no X.
namespace veltrop::testing {
namespace {

class WaylandDesktopTest : public ::testing::Test {
protected:
    // Generous: the machine is shared, and a slow program is no failure.
    static constexpr std::chrono::seconds kTimeout{60};

    struct Session {
        const char* what;
        bool xwayland;
        std::vector<std::string> userChoice;  // added to the program's environment
        bool x11Client;                       // expected to run through XWayland
        bool panel = false;                   // with a StatusNotifier host
    };

    // Starts weston, the accessibility bus and the program; waits until the main window
    // shows.
    void startIn(const Session& session) {
        wayland_ = std::make_unique<WaylandSession>(session.xwayland);
        bus_ = std::make_unique<AccessibilityBus>(folder_.path(), wayland_->environment());
        if (session.panel) {
            panel_ = std::make_unique<StatusNotifierPanel>(folder_.path(), bus_->environment());
        }
        std::vector<std::string> environment = bus_->environment();
        for (const auto& added : {bus_->readableProgram(), session.userChoice}) {
            environment.insert(environment.end(), added.begin(), added.end());
        }
        // Under the leak checker: Mesa's EGL code, which Qt's Wayland platform runs, has
        // no frame pointers, and the quick unwinder stops there, before the frames that
        // the suppressions name.
        if (const char* leakOptions = std::getenv("LSAN_OPTIONS")) {
            environment.push_back(std::string("LSAN_OPTIONS=") + leakOptions +
                                  ":fast_unwind_on_malloc=0");
        }
        program_ = std::make_unique<ChildProcess>(std::vector<std::string>{VELTROP_PROGRAM},
                                                  folder_.path(), environment);
        ASSERT_TRUE(becomesTrue([&] { return shows("frame|Veltrop"); }))
            << "no main window after " << describe(bus_->read("windows"));
    }
    bool shows(const std::string& window) {
        const std::vector<std::string> windows = bus_->read("windows");
        return std::find(windows.begin(), windows.end(), window + "|showing") != windows.end() ||
               !stillRunning();
    }
    // The program's viewable X11 windows with this title on XWayland's display.
    std::vector<Window> x11Windows(XDisplay& x11, const std::string& title) {
        std::vector<Window> found = x11.windowsNamed(title);
        found.erase(std::remove_if(found.begin(), found.end(),
                                   [&](Window w) { return x11.processOf(w) != program_->pid(); }),
                    found.end());
        return found;
    }
    void xdotoolOnXWayland(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "/usr/bin/xdotool");
        ChildProcess tool(arguments, folder_.path(), wayland_->environment());
        EXPECT_EQ(tool.waitForExit(kTimeout), 0);
    }
    // Ends the program with its Exit button, pressed through the accessibility bus.
    void exitProgram() {
        EXPECT_EQ(bus_->runReader({"press", "Exit"}), 0);
        EXPECT_EQ(program_->waitForExit(kTimeout), 0);
    }
    static std::string describe(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) {
            text += line + "; ";
        }
        return text;
    }

    bool stillRunning() { return !program_->waitForExit(std::chrono::milliseconds(0)); }

    void TearDown() override {
        program_.reset();
        panel_.reset();
        bus_.reset();
        wayland_.reset();
    }

    TempFolder folder_;
    std::unique_ptr<ChildProcess> program_;
    std::unique_ptr<WaylandSession> wayland_;
    std::unique_ptr<AccessibilityBus> bus_;
    std::unique_ptr<StatusNotifierPanel> panel_;
};

TEST_F(WaylandDesktopTest, XWaylandWhereThereIsOneElseWaylandItselfOrWhatTheUserChose) {
    const std::vector<Session> sessions{
        {"with XWayland", true, {}, true},
        {"without XWayland", false, {}, false},
        {"with an X display that does not answer", false, {"DISPLAY=:4097"}, false},
        {"without XWayland, with a StatusNotifier host", false, {}, false, true},
        {"the user's QT_QPA_PLATFORM=wayland", true, {"QT_QPA_PLATFORM=wayland"}, false},
    };
    {
        engine::Session session;
        createCredentialTable(session, credentials::kFileName,
                              {{"Bank", "bank.example", "anna", "secret", ""}});
    }
    for (const Session& session : sessions) {
        SCOPED_TRACE(session.what);
        ASSERT_NO_FATAL_FAILURE(startIn(session));
        ASSERT_TRUE(stillRunning());
        if (session.xwayland) {
            XDisplay x11(wayland_->x11Display());
            if (session.x11Client) {
                ASSERT_TRUE(
                    x11.waitUntil([&] { return !x11Windows(x11, "Veltrop").empty(); }, kTimeout));
                // Found as a user's X tools find it.
                xdotoolOnXWayland({"search", "--onlyvisible", "--pid",
                                   std::to_string(program_->pid()), "--name", "^Veltrop$"});
                // Find shows the selection window there too. Pressed through the
                // accessibility bus: XWayland on a session without a seat takes no
                // pointer or keyboard input from X.
                EXPECT_EQ(bus_->runReader({"press", "Find"}), 0);
                std::vector<Window> select;
                EXPECT_TRUE(x11.waitUntil(
                    [&] { return !(select = x11Windows(x11, "Select")).empty(); }, kTimeout));
                EXPECT_TRUE(becomesTrue([&] { return shows("dialog|Select"); }));
                ASSERT_FALSE(select.empty());
                x11.askToClose(select.front());
                EXPECT_TRUE(
                    x11.waitUntil([&] { return x11Windows(x11, "Select").empty(); }, kTimeout));
            } else {
                EXPECT_TRUE(x11Windows(x11, "Veltrop").empty());
            }
        }
        if (session.panel) {
            // The icon is the way back: Minimize hides into it, a click shows again.
            ASSERT_TRUE(panel_->iconRegistered());
            EXPECT_EQ(bus_->runReader({"press", "Minimize"}), 0);
            EXPECT_TRUE(becomesTrue([&] { return !shows("frame|Veltrop"); }));
            ASSERT_TRUE(panel_->click());
            EXPECT_TRUE(becomesTrue([&] { return shows("frame|Veltrop"); }));
        } else if (!session.x11Client) {
            // No notification area here: Minimize goes to the taskbar and never hides
            // the window where nothing could bring it back.
            EXPECT_EQ(bus_->runReader({"press", "Minimize"}), 0);
            EXPECT_TRUE(shows("frame|Veltrop"));
        }
        exitProgram();
        TearDown();
    }
}

}  // namespace
}  // namespace veltrop::testing
