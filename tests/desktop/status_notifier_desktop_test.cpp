#include "program_fixture.h"

#include <X11/Xutil.h>

#include <filesystem>
#include <fstream>

#include "probes.h"
#include "session_bus.h"

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
        host_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"/usr/bin/python3", VELTROP_STATUS_NOTIFIER_HOST,
                                     folder_.path()},
            folder_.path(), environment);
        ASSERT_TRUE(signalled("ready")) << "the host did not start";
    }
    void TearDown() override {
        host_.reset();
        bus_.reset();
    }

    bool signalled(const std::string& name) {
        return becomesTrue([&] { return std::filesystem::exists(folder_.file(name)); });
    }
    // Chooses the item in the host's menu; false when the host could not.
    bool choose(const std::string& label) {
        std::filesystem::remove(folder_.file("clicked-" + label));
        std::ofstream(folder_.file("click-" + label)).flush();
        return signalled("clicked-" + label);
    }
    // Clicks the icon in the host's panel; false when the host could not.
    bool activateIcon() {
        std::filesystem::remove(folder_.file("activated"));
        std::ofstream(folder_.file("activate")).flush();
        return signalled("activated");
    }
    bool maximised() {
        const std::vector<std::string> state = display().netWmState(mainWindow_);
        return std::find(state.begin(), state.end(), "_NET_WM_STATE_MAXIMIZED_VERT") != state.end();
    }

    std::unique_ptr<SessionBus> bus_;
    std::unique_ptr<ChildProcess> host_;
};

TEST_F(StatusNotifierDesktopTest, RestoreAndExitWorkFromTheHostsMenuWhileSelectIsOpen) {
    startProgram({bus_->environmentEntry()});
    ASSERT_TRUE(signalled("registered")) << "the icon did not register with the host";
    clickToolButton("ToolButtonLookUp");
    ASSERT_NE(waitForActive("Select"), 0u);

    display().requestMaximise(mainWindow_);
    ASSERT_TRUE(display().waitUntil([&] { return maximised(); }, kTimeout));
    ASSERT_TRUE(choose("Restore"));
    EXPECT_TRUE(display().waitUntil([&] { return !maximised(); }, kTimeout));
    EXPECT_TRUE(stillRunning());

    ASSERT_TRUE(choose("Exit"));
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
        ASSERT_TRUE(signalled("registered"));
        if (before == Before::Minimised) {
            xdotool({"windowminimize", std::to_string(mainWindow_)});
        } else if (before == Before::Hidden) {
            clickToolButton("ToolButtonMinimize");
        }
        const long state = before == Before::Minimised ? IconicState : NormalState;
        const bool viewable = before == Before::Shown;
        ASSERT_TRUE(display().waitUntil(
            [&] {
                return display().isViewable(mainWindow_) == viewable &&
                       (before == Before::Hidden || display().wmState(mainWindow_) == state);
            },
            kTimeout));

        ASSERT_TRUE(activateIcon());
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
