#include "program_fixture.h"

#include <X11/Xutil.h>

#include <filesystem>

#include "session_bus.h"
#include "status_notifier_panel.h"

// The icon's menu under a StatusNotifier host, which draws the menu itself and
// reports a choice over the session bus (status_notifier_host.py plays the panel).
namespace veltrop::testing {
namespace {

class StatusNotifierDesktopTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        bus_ = std::make_unique<SessionBus>(folder_.path());
        std::vector<std::string> environment = desktop_->environment();
        environment.push_back(bus_->environmentEntry());
        panel_ = std::make_unique<StatusNotifierPanel>(folder_.path(), environment);
    }
    void TearDown() override {
        panel_.reset();
        bus_.reset();
    }

    bool maximised() {
        const std::vector<std::string> state = display().netWmState(mainWindow_);
        return std::find(state.begin(), state.end(), "_NET_WM_STATE_MAXIMIZED_VERT") != state.end();
    }

    std::unique_ptr<SessionBus> bus_;
    std::unique_ptr<StatusNotifierPanel> panel_;
};

TEST_F(StatusNotifierDesktopTest, RestoreAndExitWorkFromTheHostsMenuWhileSelectIsOpen) {
    startProgram({bus_->environmentEntry()});
    ASSERT_TRUE(panel_->iconRegistered()) << "the icon did not register with the host";
    clickToolButton("ToolButtonLookUp");
    ASSERT_NE(waitForActive("Select"), 0u);

    display().requestMaximise(mainWindow_);
    ASSERT_TRUE(display().waitUntil([&] { return maximised(); }, kTimeout));
    ASSERT_TRUE(panel_->choose("Restore"));
    EXPECT_TRUE(display().waitUntil([&] { return !maximised(); }, kTimeout));
    EXPECT_TRUE(stillRunning());

    ASSERT_TRUE(panel_->choose("Exit"));
    EXPECT_EQ(program_->waitForExit(kTimeout), 0);
    EXPECT_EQ(recordsInFile(credentials::kFileName), kRecords);
}

// Such hosts report a click where XEmbed trays report a double-click: it only ever
// shows a hidden window, and leaves a shown or minimised one as it is.
TEST_F(StatusNotifierDesktopTest, AClickOnTheIconShowsOnlyAHiddenWindow) {
    enum class Before { Shown, Minimised, Hidden };
    for (const Before before : {Before::Shown, Before::Minimised, Before::Hidden}) {
        SCOPED_TRACE(static_cast<int>(before));
        std::filesystem::remove(folder_.file("registered"));
        startProgram({bus_->environmentEntry()});
        ASSERT_TRUE(panel_->iconRegistered());
        if (before == Before::Minimised) {
            xdotool({"windowminimize", std::to_string(mainWindow_)});
        } else if (before == Before::Hidden) {
            clickToolButton("ToolButtonMinimize");
        }
        const long state = before == Before::Minimised ? IconicState : NormalState;
        const bool viewable = before == Before::Shown;
        // A hidden window is waited for until the window manager has let it go.
        const long stateBeforeClick = before == Before::Hidden ? WithdrawnState : state;
        ASSERT_TRUE(display().waitUntil(
            [&] {
                return display().isViewable(mainWindow_) == viewable &&
                       display().wmState(mainWindow_) == stateBeforeClick;
            },
            kTimeout));

        ASSERT_TRUE(panel_->click());
        if (before == Before::Hidden) {
            mainWindow_ = waitForActive("Veltrop");
            ASSERT_NE(mainWindow_, 0u);
        }
        EXPECT_EQ(display().isViewable(mainWindow_), before != Before::Minimised);
        EXPECT_EQ(display().wmState(mainWindow_), state);
        EXPECT_TRUE(stillRunning());
        closeProgram();
    }
}

}  // namespace
}  // namespace veltrop::testing
