#include <QCoreApplication>
#include <QMenu>
#include <algorithm>
#include <filesystem>
#include <optional>

#include "commands_fixture.h"
#include "engine/error.h"
#include "support/recording_notification_area.h"

// The main window's side of the notification-area icon: Minimize, the icon's
// double-click and its menu, with the icon played through a recording area.
namespace veltrop::testing {
namespace {

using namespace window_message;

class Form1TrayTest : public CommandsTest {
protected:
    void openWindows() {
        createTable(kRecords);
        openWindowsOnTable(std::make_unique<RecordingNotificationArea>(tray_));
    }

    // Then runs what showing the window queued, as the event loop would.
    void doubleClickIcon() {
        playOnIcon(*tray_, {kLeftButtonDown, kLeftButtonUp, kLeftButtonDoubleClick, kLeftButtonUp});
        QCoreApplication::sendPostedEvents();
    }
    // A right press opens the icon's menu; the item is chosen while it is open.
    void chooseFromIconMenu(const char* item) {
        tray_->whilePopupOpen = [item](QMenu& menu) {
            menu.findChild<QAction*>(QString::fromLatin1(item))->trigger();
        };
        playOnIcon(*tray_, {kRightButtonDown, kRightButtonUp});
        tray_->whilePopupOpen = nullptr;
    }
    // What the window system does for the title bar's minimise button.
    void minimiseByTitleBar() {
        form1().setWindowState(form1().windowState() | Qt::WindowMinimized);
    }

    bool minimised() { return form1().windowState() & Qt::WindowMinimized; }

    std::shared_ptr<RecordingNotificationArea::State> tray_ =
        std::make_shared<RecordingNotificationArea::State>();
};

TEST_F(Form1TrayTest, TheIconIsThereFromCreationToShutdownWithTheProgramIconAndItsMenu) {
    openWindows();
    ASSERT_TRUE(tray_->present);
    TTrayIcon& icon = *form1().TrayIcon1();
    EXPECT_EQ(tray_->shown.hIcon.cacheKey(), icon.Icon().cacheKey());
    EXPECT_FALSE(icon.Icon().isNull());
    EXPECT_TRUE(tray_->shown.szTip.isEmpty());
    EXPECT_FALSE(icon.CycleTimer().isActive());
    EXPECT_FALSE(icon.MinimizeToTray());

    QMenu* menu = form1().PopupMenu1();
    ASSERT_EQ(icon.PopupMenu(), menu);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), "Restore");
    EXPECT_EQ(menu->actions()[1]->text(), "Exit");
    EXPECT_EQ(menu->defaultAction(), nullptr);

    closeWindows();
    EXPECT_FALSE(tray_->present);
}

// Its double-click would show the window, so the icon comes only with an open table:
// not while the password is asked, and never when no password is given.
TEST_F(Form1TrayTest, TheIconComesOnlyOnceTheTableHasOpened) {
    for (const bool given : {true, false}) {
        SCOPED_TRACE(given ? "password given" : "password refused");
        tray_ = std::make_shared<RecordingNotificationArea::State>();
        std::filesystem::remove(credentials::kFileName);
        engine::Session session;
        createCredentialTable(session, credentials::kFileName, kRecords);
        session.protectTable(credentials::kFileName, "open sesame");
        session.removeAllPasswords();
        std::optional<std::size_t> addsWhileAsked;
        const auto adds = [&] {
            return std::count_if(
                tray_->requests.begin(), tray_->requests.end(),
                [](const auto& made) { return made.request == NotifyIconRequest::Add; });
        };
        const auto prompt = [&] {
            addsWhileAsked = adds();
            if (given) {
                session.addPassword("open sesame");
            }
            return given;
        };
        try {
            TForm1 form(session, prompt, std::make_unique<RecordingNotificationArea>(tray_));
            EXPECT_TRUE(given);
            EXPECT_TRUE(tray_->present);
        } catch (const engine::EngineError&) {
            EXPECT_FALSE(given);
        }
        EXPECT_EQ(addsWhileAsked, 0u);
        EXPECT_EQ(adds(), given ? 1 : 0);
        EXPECT_FALSE(tray_->present);
    }
}

TEST_F(Form1TrayTest, ADoubleClickOnTheIconLeavesAShownWindowAsItIs) {
    openWindows();
    doubleClickIcon();
    EXPECT_TRUE(form1().isVisible());
    EXPECT_EQ(form1().windowState(), Qt::WindowNoState);
}

TEST_F(Form1TrayTest, MinimizeHidesTheWindowAndADoubleClickOnTheIconBringsItBack) {
    openWindows();
    click(form1().ToolButtonMinimize());
    EXPECT_TRUE(form1().TrayIcon1()->MinimizeToTray());
    EXPECT_FALSE(form1().isVisible());
    EXPECT_TRUE(tray_->present);

    // The menu is not the way back: Restore leaves the window hidden.
    chooseFromIconMenu("Restore1");
    EXPECT_FALSE(form1().isVisible());

    doubleClickIcon();
    EXPECT_TRUE(form1().isVisible());
    EXPECT_FALSE(minimised());
    // The double-click chose no menu item: the program goes on.
    EXPECT_FALSE(isTerminating());
}

TEST_F(Form1TrayTest, TheTitleBarMinimiseHidesIntoTheIconOnlyAfterMinimizeWasUsed) {
    openWindows();
    minimiseByTitleBar();
    EXPECT_TRUE(form1().isVisible()) << "an ordinary minimise keeps the taskbar entry";
    EXPECT_TRUE(minimised());
    // Minimised to the taskbar the window still counts as shown: the icon changes nothing.
    doubleClickIcon();
    EXPECT_TRUE(minimised());
    form1().setWindowState(form1().windowState() & ~Qt::WindowMinimized);

    click(form1().ToolButtonMinimize());
    doubleClickIcon();
    ASSERT_TRUE(form1().isVisible());
    minimiseByTitleBar();
    EXPECT_FALSE(form1().isVisible());

    doubleClickIcon();
    EXPECT_TRUE(form1().isVisible());
    EXPECT_FALSE(minimised());
}

TEST_F(Form1TrayTest, RestoreOnlyUndoesAMaximise) {
    openWindows();
    form1().setWindowState(Qt::WindowMaximized);
    chooseFromIconMenu("Restore1");
    EXPECT_EQ(form1().windowState(), Qt::WindowNoState);
    EXPECT_TRUE(form1().isVisible());

    minimiseByTitleBar();
    chooseFromIconMenu("Restore1");
    EXPECT_TRUE(minimised());
}

TEST_F(Form1TrayTest, ExitFromTheIconMenuEndsTheProgramWithoutSavingTheEdit) {
    openWindows();
    type(form1().DBEdit4(), "9");
    ASSERT_EQ(table().state(), TableState::Edit);
    click(form1().ToolButtonMinimize());

    chooseFromIconMenu("Exit1");
    EXPECT_TRUE(isTerminating());
    EXPECT_TRUE(asked_.empty());
    closeWindows();
    EXPECT_EQ(storedRecords(), kRecords);
}

// Hidden with no host to show the icon, the window could never come back.
TEST_F(Form1TrayTest, WithoutANotificationAreaMinimizeGoesToTheTaskbarUntilAHostAppears) {
    tray_->available = false;
    openWindows();
    click(form1().ToolButtonMinimize());
    EXPECT_TRUE(form1().TrayIcon1()->MinimizeToTray());
    EXPECT_TRUE(form1().isVisible());
    EXPECT_TRUE(minimised());

    form1().setWindowState(form1().windowState() & ~Qt::WindowMinimized);
    minimiseByTitleBar();
    EXPECT_TRUE(form1().isVisible());
    form1().setWindowState(form1().windowState() & ~Qt::WindowMinimized);

    tray_->available = true;
    click(form1().ToolButtonMinimize());
    EXPECT_FALSE(form1().isVisible());
    doubleClickIcon();
    EXPECT_TRUE(form1().isVisible());
}

}  // namespace
}  // namespace veltrop::testing
