#include "program_fixture.h"

// Before the X headers, whose macros clash with Qt's names.
#include "store/table.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "probes.h"

// The notification-area icon of the real program in the XEmbed tray host trayer:
// hiding the main window into it, bringing it back, and the icon's menu.
namespace veltrop::testing {
namespace {

bool contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// Where the main window shows, frame included. The window is framed at its inner
// size first and fitted once the frame is known, so it is only in place after that.
constexpr FrameGeometry kShownAt{200, 116, 715, 129};

// The icon's menu: "Restore" is its first item, "Exit" its second and last.
constexpr int kMenuItems = 2;
constexpr int kRestore = 0;
constexpr int kExit = kMenuItems - 1;

class TrayDesktopTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        desktop_->startTrayHost();
    }

    // Starts the program and waits until its one icon is docked in the tray host.
    void startWithIcon() {
        ASSERT_NO_FATAL_FAILURE(startProgram());
        ASSERT_NO_FATAL_FAILURE(waitForIcon());
    }
    void waitForIcon() {
        ASSERT_TRUE(becomes([&] { return !icons().empty(); }));
        EXPECT_EQ(icons().size(), 1u);
        ASSERT_TRUE(showsOnTopInPlace());
    }
    std::vector<Window> icons() { return desktop_->dockedIcons(program_->pid()); }
    bool becomes(const std::function<bool()>& condition) {
        return display().waitUntil(condition, kTimeout);
    }

    // False when the program has no single icon in the notification area to click.
    // Clicks go alternately to the icon's left and right quarter: two presses of a
    // button close in time and place make a double-click, and a right-click that
    // quickly follows the one that opened the menu would be just that.
    bool clickIcon(int clicks, int button) {
        const std::vector<Window> docked = icons();
        if (docked.size() != 1) {
            return false;
        }
        const FrameGeometry icon = display().geometry(docked[0]);
        const int quarter = (iconClicks_++ % 2 == 0 ? 1 : 3) * icon.width / 4;
        clickAt(docked[0], QPoint(quarter, icon.height / 2), clicks, button);
        return true;
    }
    bool doubleClickIcon() { return clickIcon(2, 1); }

    // Opens the icon's menu with a right-click.
    bool openIconMenu() {
        return clickIcon(1, 3) && becomes([&] { return !menus().empty(); });
    }
    // Clicks the item, in the middle of its share of the menu's height. The pointer
    // reaches a menu as soon as it is on screen; the keyboard only once the program
    // has grabbed it, which the test cannot see.
    bool chooseFromIconMenu(int item) {
        if (!openIconMenu()) {
            return false;
        }
        const std::vector<Window> open = menus();
        if (open.size() != 1) {
            return false;
        }
        const FrameGeometry menu = display().geometry(open[0]);
        clickAt(open[0], QPoint(menu.width / 2, menu.height * (2 * item + 1) / (2 * kMenuItems)));
        return true;
    }
    // Escape reaches the menu once it has the keyboard, so it is pressed again while
    // the menu stays open.
    bool closeIconMenu() {
        for (int attempt = 0; attempt < 5; ++attempt) {
            xdotool({"key", "Escape"});
            if (display().waitUntil([&] { return menus().empty(); }, std::chrono::seconds(5))) {
                return true;
            }
        }
        return false;
    }
    std::vector<Window> menus() { return display().popupsOf(program_->pid()); }

    // No window of the program is viewable or in the window manager's client list,
    // which taskbars show, and the window manager has finished letting the main
    // window go: it drops the window's states after the list, and a window shown
    // again before that loses them.
    bool hidden() {
        const std::vector<Window> clients = display().clientList();
        return display().windowsNamed("Veltrop").empty() &&
               display().wmState(mainWindow_) == WithdrawnState &&
               display().netWmState(mainWindow_).empty() &&
               std::none_of(clients.begin(), clients.end(), [&](Window client) {
                   return display().processOf(client) == program_->pid();
               });
    }
    bool inClientList(Window window) {
        const std::vector<Window> clients = display().clientList();
        return std::find(clients.begin(), clients.end(), window) != clients.end();
    }
    // Minimised to the taskbar: still listed there, iconic.
    bool minimised() {
        return inClientList(mainWindow_) && !display().isViewable(mainWindow_) &&
               display().wmState(mainWindow_) == IconicState &&
               contains(display().netWmState(mainWindow_), "_NET_WM_STATE_HIDDEN");
    }

    ::testing::AssertionResult minimizeButtonHides() {
        clickToolButton("ToolButtonMinimize");
        if (!becomes([&] { return hidden(); })) {
            return ::testing::AssertionFailure() << "the main window was not hidden";
        }
        if (!stillRunning()) {
            return ::testing::AssertionFailure() << "the program ended";
        }
        if (icons().size() != 1) {
            return ::testing::AssertionFailure() << "the icon left the notification area";
        }
        return ::testing::AssertionSuccess();
    }
    // Framed, listed, active and always on top, in its place.
    // The window manager may animate the way back, so the place is waited for too.
    ::testing::AssertionResult showsOnTopInPlace() {
        std::string missing;
        if (becomes([&] { return (missing = whatTheShownWindowLacks()).empty(); })) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "the main window is " << missing;
    }
    std::string whatTheShownWindowLacks() {
        mainWindow_ = display().framedWindowNamed("Veltrop").value_or(0);
        if (mainWindow_ == 0) {
            return "not framed";
        }
        if (display().activeWindow() != mainWindow_) {
            return "not active";
        }
        const FrameGeometry frame = display().frameGeometry(mainWindow_);
        if (frame.x != kShownAt.x || frame.y != kShownAt.y || frame.width != kShownAt.width ||
            frame.height != kShownAt.height) {
            return "framed at " + describe(frame) + " instead of " + describe(kShownAt);
        }
        if (!inClientList(mainWindow_) || display().wmState(mainWindow_) != NormalState) {
            return "not a normal client of the window manager";
        }
        const std::vector<std::string> states = display().netWmState(mainWindow_);
        if (!contains(states, "_NET_WM_STATE_ABOVE")) {
            std::string listed;
            for (const std::string& state : states) {
                listed += " " + state;
            }
            return "not always on top (its states:" + listed + ")";
        }
        return "";
    }
    // What the window manager itself keeps, beyond the state the window reports:
    // a window that the user then brings up stays below the main window.
    bool staysAboveAnotherWindow() {
        const Window other = display().mapPlainWindow("another window");
        const bool otherActive = becomes([&] { return display().activeWindow() == other; });
        const std::vector<Window> stacking = display().stackingOrder();
        const auto mainAt = std::find(stacking.begin(), stacking.end(), mainWindow_);
        const auto otherAt = std::find(stacking.begin(), stacking.end(), other);
        display().destroyWindow(other);
        return otherActive && mainAt != stacking.end() && otherAt != stacking.end() &&
               mainAt > otherAt;
    }
    static std::string describe(const FrameGeometry& frame) {
        return std::to_string(frame.x) + "," + std::to_string(frame.y) + " " +
               std::to_string(frame.width) + "x" + std::to_string(frame.height);
    }

    // What the title bar's minimise box asks of the window manager.
    void titleBarMinimise() { xdotool({"windowminimize", std::to_string(mainWindow_)}); }
    // What the taskbar button does for a minimised window.
    void activateFromTaskbar() { xdotool({"windowactivate", std::to_string(mainWindow_)}); }

    bool maximised() {
        return contains(display().netWmState(mainWindow_), "_NET_WM_STATE_MAXIMIZED_VERT");
    }

    // With a window of the program modal (the main window disabled beneath it), the
    // icon's menu still works: "Restore" brings the maximised main window back to its
    // normal size and leaves the modal window up, "Exit" ends the program at once.
    void iconMenuWorksWhileModal(const std::string& modalTitle) {
        display().requestMaximise(mainWindow_);
        ASSERT_TRUE(becomes([&] { return maximised(); }));
        ASSERT_TRUE(chooseFromIconMenu(kRestore));
        EXPECT_TRUE(becomes([&] { return !maximised(); })) << "Restore did nothing";
        EXPECT_TRUE(display().framedWindowNamed(modalTitle).has_value());
        EXPECT_TRUE(stillRunning());

        ASSERT_TRUE(chooseFromIconMenu(kExit));
        EXPECT_EQ(program_->waitForExit(kTimeout), 0);
        EXPECT_EQ(recordsInFile(credentials::kFileName), kRecords);
    }
    // The error box is captioned with the program's title, as the main window is.
    bool errorBoxShown() {
        const std::vector<Window> windows = display().windowsNamed("Veltrop");
        return std::any_of(windows.begin(), windows.end(),
                           [&](Window window) { return window != mainWindow_; });
    }

    int iconClicks_ = 0;
};

TEST_F(TrayDesktopTest, StartMinimizedMapsNoWindowUntilADoubleClickOnTheIcon) {
    display().forgetMappedWindows();
    program_ = std::make_unique<ChildProcess>(std::vector<std::string>{VELTROP_START_MINIMIZED},
                                              folder_.path(), desktop_->environment());
    ASSERT_TRUE(becomes([&] { return icons().size() == 1; }));
    // The menu opening shows the program running its event loop: start-up is over.
    ASSERT_TRUE(openIconMenu());
    ASSERT_TRUE(closeIconMenu());
    EXPECT_FALSE(display().everMapped("Veltrop"));
    EXPECT_TRUE(hidden());

    ASSERT_TRUE(doubleClickIcon());
    mainWindow_ = waitForActive("Veltrop");
    ASSERT_NE(mainWindow_, 0u);
    closeProgram();
    EXPECT_EQ(recordsInFile(credentials::kFileName), kRecords);
}

TEST_F(TrayDesktopTest, TheIconMenuWorksWhileTheSelectionWindowIsOpen) {
    ASSERT_NO_FATAL_FAILURE(startWithIcon());
    clickToolButton("ToolButtonLookUp");
    ASSERT_NE(waitForActive("Select"), 0u);
    iconMenuWorksWhileModal("Select");
}

TEST_F(TrayDesktopTest, TheIconMenuWorksWhileSaveChangesIsAskedAndExitPostsNothing) {
    ASSERT_NO_FATAL_FAILURE(startWithIcon());
    typePassword("9");
    clickToolButton("ToolButtonSave");
    ASSERT_NE(waitForActive("Save Changes?"), 0u);
    iconMenuWorksWhileModal("Save Changes?");
}

TEST_F(TrayDesktopTest, TheIconMenuWorksWhileAnErrorBoxIsShown) {
    // The first record being edited here, typing there is refused with an error.
    engine::Session session;
    Table holder("Table1", session, credentials::kFileName, credentials::definition());
    holder.open();
    holder.Edit();
    ASSERT_NO_FATAL_FAILURE(startWithIcon());
    typePassword("9");
    ASSERT_TRUE(becomes([&] { return errorBoxShown(); }));
    iconMenuWorksWhileModal("Veltrop");
    holder.Cancel();
}

// The icon comes with the main window, once its table is open: while the start-up
// asks for the password there is neither, and Cancel ends the start with its box.
TEST_F(TrayDesktopTest, WhileThePasswordIsAskedNoWindowOrIconShowsUntilTheRightOneIsGiven) {
    struct Row {
        const char* keys;
        bool opens;
    };
    for (const Row& row : {Row{"Escape", false}, Row{"Return", true}}) {
        SCOPED_TRACE(row.keys);
        std::filesystem::remove(credentials::kFileName);
        {
            engine::Session session;
            createCredentialTable(session, credentials::kFileName, kRecords);
            session.protectTable(credentials::kFileName, "open sesame");
        }
        const std::string before = readFileBytes(credentials::kFileName);
        display().forgetMappedWindows();
        program_ = std::make_unique<ChildProcess>(std::vector<std::string>{VELTROP_PROGRAM},
                                                  folder_.path(), desktop_->environment());
        ASSERT_NE(waitForActive("Enter password"), 0u);
        EXPECT_TRUE(icons().empty());
        if (row.opens) {
            xdotool({"type", "--delay", "20", "open sesame"});
        }
        EXPECT_TRUE(icons().empty());
        EXPECT_FALSE(display().everMapped("Veltrop"));
        xdotool({"key", row.keys});

        if (row.opens) {
            mainWindow_ = waitForActive("Veltrop");
            ASSERT_NE(mainWindow_, 0u);
            ASSERT_NO_FATAL_FAILURE(waitForIcon());
            closeProgram();
        } else {
            std::optional<Window> box;
            ASSERT_TRUE(becomes([&] {
                return (box = display().framedWindowNamed("Application Error")).has_value();
            }));
            EXPECT_TRUE(icons().empty());
            display().requestClose(*box);
            EXPECT_EQ(program_->waitForExit(kTimeout), 1);
            EXPECT_FALSE(display().everMapped("Veltrop"));
        }
        EXPECT_EQ(readFileBytes(credentials::kFileName), before);
    }
}

TEST_F(TrayDesktopTest, MinimizeHidesIntoTheIconAndADoubleClickBringsTheWindowBackOnTop) {
    ASSERT_NO_FATAL_FAILURE(startWithIcon());
    ASSERT_TRUE(minimizeButtonHides());

    ASSERT_TRUE(doubleClickIcon());
    ASSERT_TRUE(showsOnTopInPlace());
    EXPECT_TRUE(staysAboveAnotherWindow());
    // And again, from the window as it came back.
    ASSERT_TRUE(minimizeButtonHides());
    ASSERT_TRUE(doubleClickIcon());
    ASSERT_TRUE(showsOnTopInPlace());
    closeProgram();
    EXPECT_EQ(recordsInFile(credentials::kFileName), kRecords);
}

// The double-click only shows a hidden window. Minimised to the taskbar the window
// counts as shown, so it stays there. The menu opened after the double-click shows
// that the program has handled it; it clicked no menu item, and the program runs.
TEST_F(TrayDesktopTest, ADoubleClickOnTheIconLeavesAShownOrMinimisedWindowAsItIs) {
    for (const bool minimise : {false, true}) {
        SCOPED_TRACE(minimise ? "minimised" : "shown");
        ASSERT_NO_FATAL_FAILURE(startWithIcon());
        if (minimise) {
            titleBarMinimise();
            ASSERT_TRUE(becomes([&] { return minimised(); }));
        }
        const auto unchanged = [&] {
            return minimise ? minimised()
                            : display().isViewable(mainWindow_) && inClientList(mainWindow_) &&
                                  display().wmState(mainWindow_) == NormalState;
        };
        ASSERT_TRUE(doubleClickIcon());
        ASSERT_TRUE(openIconMenu());
        EXPECT_TRUE(unchanged());
        ASSERT_TRUE(closeIconMenu());
        EXPECT_TRUE(unchanged());
        EXPECT_TRUE(stillRunning());
        if (minimise) {
            activateFromTaskbar();
            ASSERT_TRUE(showsOnTopInPlace());
        }
        closeProgram();
    }
}

TEST_F(TrayDesktopTest, ExitFromTheIconMenuEndsAtOnceWithoutAskingAndDropsTheEdit) {
    ASSERT_NO_FATAL_FAILURE(startWithIcon());
    typePassword("9");
    ASSERT_TRUE(becomesTrue([&] { return recordIsBeingEdited(numbers_[0]); }));

    ASSERT_TRUE(chooseFromIconMenu(kExit));
    // Either the program's windows go, or it asks the question it must not ask.
    ASSERT_TRUE(becomes([&] {
        return display().windowsNamed("Veltrop").empty() ||
               display().framedWindowNamed("Save Changes?").has_value();
    }));
    EXPECT_FALSE(display().framedWindowNamed("Save Changes?").has_value());
    EXPECT_EQ(program_->waitForExit(kTimeout), 0);
    EXPECT_FALSE(recordIsBeingEdited(numbers_[0]));
    EXPECT_EQ(recordsInFile(credentials::kFileName), kRecords);
}

TEST_F(TrayDesktopTest, RestoreLeavesAHiddenWindowHiddenAndTheLastItemExitEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(startWithIcon());
    ASSERT_TRUE(minimizeButtonHides());
    ASSERT_TRUE(chooseFromIconMenu(kRestore));
    ASSERT_TRUE(becomes([&] { return menus().empty(); }));
    // The menu opening again shows that the program has handled the choice.
    ASSERT_TRUE(openIconMenu());
    EXPECT_TRUE(hidden());
    ASSERT_TRUE(closeIconMenu());
    EXPECT_TRUE(hidden());

    ASSERT_TRUE(chooseFromIconMenu(kExit));
    EXPECT_EQ(program_->waitForExit(kTimeout), 0) << "the last item is not Exit";
    EXPECT_EQ(recordsInFile(credentials::kFileName), kRecords);
}

TEST_F(TrayDesktopTest, TheTitleBarMinimiseHidesIntoTheIconOnlyOnceMinimizeWasUsed) {
    ASSERT_NO_FATAL_FAILURE(startWithIcon());
    titleBarMinimise();
    ASSERT_TRUE(becomes([&] { return minimised(); }));
    activateFromTaskbar();
    ASSERT_TRUE(showsOnTopInPlace());

    ASSERT_TRUE(minimizeButtonHides());
    ASSERT_TRUE(doubleClickIcon());
    ASSERT_TRUE(showsOnTopInPlace());
    titleBarMinimise();
    ASSERT_TRUE(becomes([&] { return hidden(); }));
    EXPECT_TRUE(stillRunning());
    ASSERT_TRUE(doubleClickIcon());
    ASSERT_TRUE(showsOnTopInPlace());
    EXPECT_TRUE(staysAboveAnotherWindow());
    closeProgram();
}

TEST_F(TrayDesktopTest, WithoutATrayHostMinimizeMinimisesAndALaterHostTakesTheIcon) {
    desktop_->stopTrayHost();
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_TRUE(showsOnTopInPlace());
    clickToolButton("ToolButtonMinimize");
    ASSERT_TRUE(becomes([&] { return minimised(); }));
    EXPECT_TRUE(stillRunning());
    activateFromTaskbar();
    ASSERT_TRUE(showsOnTopInPlace());

    desktop_->startTrayHost();
    ASSERT_TRUE(becomes([&] { return !icons().empty(); }));
    ASSERT_TRUE(minimizeButtonHides());
    ASSERT_TRUE(doubleClickIcon());
    ASSERT_TRUE(showsOnTopInPlace());
    closeProgram();
    EXPECT_EQ(recordsInFile(credentials::kFileName), kRecords);
}

}  // namespace
}  // namespace veltrop::testing
