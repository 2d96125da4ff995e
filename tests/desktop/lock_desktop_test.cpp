#include "program_fixture.h"

#include <filesystem>

#include "engine/sole_use.h"
#include "probes.h"
#include "session_bus.h"

// A protected table locks with the screen and before sleep, and opens again with its
// password; the screen saver and logind are python3-dbusmock on private buses.
namespace veltrop::testing {
namespace {

constexpr const char* kPassword = "open sesame";

class LockDesktopTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        engine::Session().protectTable(credentials::kFileName, kPassword);
        desktop_->startTrayHost();
        std::filesystem::create_directories(folder_.file("session"));
        std::filesystem::create_directories(folder_.file("system"));
        sessionBus_ = std::make_unique<SessionBus>(folder_.file("session"));
        systemBus_ = std::make_unique<SessionBus>(folder_.file("system"));
        const std::string& entry = systemBus_->environmentEntry();
        buses_ = {sessionBus_->environmentEntry(),
                  "DBUS_SYSTEM_BUS_ADDRESS=" + entry.substr(entry.find('=') + 1),
                  "XDG_SESSION_ID=c1"};
        screenSaver_ = startMock("gnome_screensaver");
        logind_ = startMock("logind");
        ASSERT_TRUE(becomesTrue([&] {
            return call(
                       "dbus-send --system --print-reply --dest=org.freedesktop.login1 "
                       "/org/freedesktop/login1 org.freedesktop.DBus.Mock.AddSession "
                       "string:c1 string:seat0 uint32:0 string:root boolean:true") == 0;
        }));
        ASSERT_TRUE(becomesTrue([&] {
            return call(
                       "dbus-send --session --print-reply --dest=org.gnome.ScreenSaver "
                       "/org/gnome/ScreenSaver org.gnome.ScreenSaver.GetActive") == 0;
        }));
    }
    void TearDown() override {
        screenSaver_.reset();
        logind_.reset();
        sessionBus_.reset();
        systemBus_.reset();
    }

    std::vector<std::string> environment() const {
        std::vector<std::string> entries = desktop_->environment();
        entries.insert(entries.end(), buses_.begin(), buses_.end());
        return entries;
    }
    std::unique_ptr<ChildProcess> startMock(const std::string& templateName) {
        return std::make_unique<ChildProcess>(
            std::vector<std::string>{"/usr/bin/python3", "-m", "dbusmock", "--template",
                                     templateName},
            folder_.path(), environment());
    }
    int call(const std::string& shell) {
        ChildProcess tool({"/bin/sh", "-c", shell + " > /dev/null 2>&1"}, folder_.path(),
                          environment());
        return tool.waitForExit(kTimeout).value_or(-1);
    }
    void lockScreen(bool locked) {
        ASSERT_EQ(
            call(std::string("dbus-send --session --type=method_call --dest=org.gnome.ScreenSaver "
                             "/org/gnome/ScreenSaver org.gnome.ScreenSaver.SetActive "
                             "boolean:") +
                 (locked ? "true" : "false")),
            0);
    }
    void prepareForSleep() {
        ASSERT_EQ(call("/usr/bin/python3 -c \"import dbus; dbus.SystemBus().get_object("
                       "'org.freedesktop.login1', '/org/freedesktop/login1').EmitSignal("
                       "'org.freedesktop.login1.Manager', 'PrepareForSleep', 'b', [True], "
                       "dbus_interface='org.freedesktop.DBus.Mock')\""),
                  0);
    }
    // The program's delay inhibitors for sleep, as logind lists them.
    bool holdsSleepDelay() {
        return call(
                   "/usr/bin/python3 -c \"import dbus, sys; sys.exit(0 if any(i[0] == 'sleep' and "
                   "i[3] == 'delay' for i in dbus.SystemBus().get_object("
                   "'org.freedesktop.login1', '/org/freedesktop/login1').ListInhibitors("
                   "dbus_interface='org.freedesktop.login1.Manager')) else 1)\"") == 0;
    }

    // Starts the program on the protected table, answering its password question.
    void startLocked() {
        program_ = std::make_unique<ChildProcess>(std::vector<std::string>{VELTROP_PROGRAM},
                                                  folder_.path(), environment());
        answerPassword();
        mainWindow_ = display().waitForActiveWindow("Veltrop", kTimeout);
        ASSERT_NE(mainWindow_, 0u);
        ASSERT_TRUE(becomesTrue([&] { return icons().size() == 1; }));
    }
    void answerPassword() {
        ASSERT_NE(waitForActive("Enter password"), 0u);
        xdotool({"type", kPassword});
        xdotool({"key", "Return"});
        ASSERT_TRUE(waitUntilGone("Enter password"));
    }
    std::vector<Window> icons() { return desktop_->dockedIcons(program_->pid()); }
    void doubleClickIcon() {
        const std::vector<Window> docked = icons();
        ASSERT_EQ(docked.size(), 1u);
        const FrameGeometry icon = display().geometry(docked[0]);
        clickAt(docked[0], QPoint(icon.width / 2, icon.height / 2), 2);
    }
    // Locked: the window gone from the screen, the table file closed.
    ::testing::AssertionResult becomesLocked() {
        if (!display().waitUntil([&] { return display().windowsNamed("Veltrop").empty(); },
                                 kTimeout)) {
            return ::testing::AssertionFailure() << "the window stayed";
        }
        if (!becomesTrue([] { return !engine::isOpenElsewhere(credentials::kFileName); })) {
            return ::testing::AssertionFailure() << "the table stayed open";
        }
        return ::testing::AssertionSuccess();
    }
    // Shows the second record, through the selection window.
    void chooseSecondRecord() {
        clickToolButton("ToolButtonLookUp");
        const Window select = waitForActive("Select");
        ASSERT_NE(select, 0u);
        clickAt(select, points_->rows.at(1), 2);
        ASSERT_TRUE(waitUntilGone("Select"));
        ASSERT_EQ(shownPassword(), kRecords[1][3]);
    }
    void unlockWithTheIcon() {
        ASSERT_NO_FATAL_FAILURE(doubleClickIcon());
        ASSERT_NO_FATAL_FAILURE(answerPassword());
        mainWindow_ = display().waitForActiveWindow("Veltrop", kTimeout);
        ASSERT_NE(mainWindow_, 0u);
    }

    std::unique_ptr<SessionBus> sessionBus_;
    std::unique_ptr<SessionBus> systemBus_;
    std::vector<std::string> buses_;
    std::unique_ptr<ChildProcess> screenSaver_;
    std::unique_ptr<ChildProcess> logind_;
};

TEST_F(LockDesktopTest, TheScreenLockLocksAndTheIconOpensTheSameRecordWithThePassword) {
    ASSERT_NO_FATAL_FAILURE(startLocked());
    ASSERT_NO_FATAL_FAILURE(chooseSecondRecord());
    ASSERT_NO_FATAL_FAILURE(lockScreen(true));
    ASSERT_TRUE(becomesLocked());

    // Cancel leaves it locked and running.
    ASSERT_NO_FATAL_FAILURE(doubleClickIcon());
    ASSERT_NE(waitForActive("Enter password"), 0u);
    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitUntilGone("Enter password"));
    EXPECT_TRUE(stillRunning());
    EXPECT_TRUE(display().windowsNamed("Veltrop").empty());
    EXPECT_FALSE(engine::isOpenElsewhere(credentials::kFileName));

    ASSERT_NO_FATAL_FAILURE(lockScreen(false));
    ASSERT_NO_FATAL_FAILURE(unlockWithTheIcon());
    EXPECT_EQ(shownPassword(), kRecords[1][3]);
    closeProgram();
}

TEST_F(LockDesktopTest, SleepLocksAndLetsTheMachineGoOnlyThen) {
    ASSERT_NO_FATAL_FAILURE(startLocked());
    ASSERT_TRUE(becomesTrue([&] { return holdsSleepDelay(); }));
    ASSERT_NO_FATAL_FAILURE(prepareForSleep());
    ASSERT_TRUE(becomesLocked());
    EXPECT_TRUE(becomesTrue([&] { return !holdsSleepDelay(); }));
    ASSERT_NO_FATAL_FAILURE(unlockWithTheIcon());
    EXPECT_EQ(shownPassword(), kRecords[0][3]);
    closeProgram();
}

TEST_F(LockDesktopTest, LogindLockingTheSessionLocks) {
    ASSERT_NO_FATAL_FAILURE(startLocked());
    // The program finds its session a moment after its window shows; a lock before
    // that is not seen, so the lock is asked for again until the window goes.
    const auto lockGoesOut = [&] {
        return call(
                   "dbus-send --system --type=method_call --dest=org.freedesktop.login1 "
                   "/org/freedesktop/login1/session/c1 org.freedesktop.login1.Session.Lock") == 0 &&
               display().waitUntil([&] { return display().windowsNamed("Veltrop").empty(); },
                                   std::chrono::seconds(1));
    };
    ASSERT_TRUE(becomesTrue(lockGoesOut));
    ASSERT_TRUE(becomesLocked());
    ASSERT_NO_FATAL_FAILURE(unlockWithTheIcon());
    EXPECT_EQ(shownPassword(), kRecords[0][3]);
    closeProgram();
}

TEST_F(LockDesktopTest, APendingEditPutsTheLockOffUntilItIsSavedAndKeepsTheTyping) {
    ASSERT_NO_FATAL_FAILURE(startLocked());
    typePassword("9");
    ASSERT_TRUE(becomesTrue([&] { return recordIsBeingEdited(numbers_[0]); }));
    ASSERT_NO_FATAL_FAILURE(lockScreen(true));
    clickToolButton("ToolButtonSave");
    ASSERT_NE(waitForActive("Save Changes?"), 0u);
    // Still there while the user answers.
    EXPECT_TRUE(display().framedWindowNamed("Veltrop").has_value());
    xdotool({"key", "Return"});
    ASSERT_TRUE(becomesLocked());
    EXPECT_EQ(recordsInFile(credentials::kFileName, {kPassword})[0][3], kRecords[0][3] + "9");
    ASSERT_NO_FATAL_FAILURE(lockScreen(false));
    ASSERT_NO_FATAL_FAILURE(unlockWithTheIcon());
    closeProgram();
}

}  // namespace
}  // namespace veltrop::testing
