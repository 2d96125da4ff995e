#include <QApplication>
#include <QTest>
#include <stdexcept>

#include "platform/application_window.h"
#include "tray_fixture.h"

namespace veltrop::testing {
namespace {

constexpr int kTimeoutMs = 10000;

// The owner is the application's main form, shown on the offscreen desktop.
class TrayHooksTest : public TrayTest {
protected:
    void SetUp() override {
        TrayTest::SetUp();
        state_.mainForm = &owner_;
        owner_.resize(200, 100);
        owner_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner_));
    }

    void TearDown() override {
        icon_.reset();
        TrayTest::TearDown();
    }

    bool minimised() const { return owner_.windowState().testFlag(Qt::WindowMinimized); }

    void minimise() {
        owner_.setWindowState(owner_.windowState() | Qt::WindowMinimized);
        QApplication::processEvents();
    }

    // Waits for the owner to be hidden, or, when it is meant to stay, gives it the
    // same chance to go.
    bool hiddenAfterAWhile() {
        return QTest::qWaitFor([&] { return !owner_.isVisible(); }, 200);
    }
};

TEST_F(TrayHooksTest, AnOrdinaryMinimiseLeavesTheFormOnTheTaskbar) {
    loadedIcon();
    minimise();
    EXPECT_FALSE(hiddenAfterAWhile());
    EXPECT_TRUE(minimised());
    EXPECT_TRUE(area_->present);
}

TEST_F(TrayHooksTest, MinimisingToTheTrayHidesTheFormUntilItIsShownAgain) {
    TTrayIcon& icon = loadedIcon();
    icon.setMinimizeToTray(true);
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        minimise();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !owner_.isVisible(); }, kTimeoutMs));
        EXPECT_TRUE(area_->present);
        EXPECT_TRUE(icon.IconVisible());

        owner_.show();
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return owner_.isVisible() && !minimised(); }, kTimeoutMs));
    }
}

TEST_F(TrayHooksTest, HidingToTheTrayBringsBackARemovedIcon) {
    TTrayIcon& icon = loadedIcon();
    icon.setIconVisible(false);
    icon.setMinimizeToTray(true);
    minimise();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !owner_.isVisible(); }, kTimeoutMs));
    EXPECT_TRUE(area_->present);
    EXPECT_TRUE(icon.IconVisible());
}

TEST_F(TrayHooksTest, WithoutANotificationAreaTheFormStaysMinimisedOnTheTaskbar) {
    area_->available = false;
    TTrayIcon& icon = loadedIcon();
    icon.setMinimizeToTray(true);
    EXPECT_FALSE(icon.notificationAreaAvailable());
    minimise();
    EXPECT_FALSE(hiddenAfterAWhile());
    EXPECT_TRUE(minimised());
}

TEST_F(TrayHooksTest, TheHooksGoWithTheIcon) {
    loadedIcon().setMinimizeToTray(true);
    icon_.reset();
    minimise();
    EXPECT_FALSE(hiddenAfterAWhile());
    EXPECT_TRUE(minimised());
}

TEST_F(TrayHooksTest, AMainFormDeletedWithItsIconLeavesNothingBehind) {
    auto* mainForm = new Form;
    state_.mainForm = mainForm;
    mainForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mainForm));
    QPointer<TTrayIcon> icon = makeIcon(mainForm).release();
    icon->setMinimizeToTray(true);
    icon->Loaded();

    delete mainForm;

    EXPECT_TRUE(icon.isNull());
    EXPECT_FALSE(area_->present);
    state_.mainForm = &owner_;
    minimise();
    EXPECT_FALSE(hiddenAfterAWhile());
}

TEST_F(TrayHooksTest, StartMinimizedKeepsTheMainFormFromShowingAtTheRun) {
    icon_ = makeIcon(&owner_);
    icon_->setStartMinimized(true);
    icon_->Loaded();
    EXPECT_FALSE(state_.showMainFormOnRun);
    EXPECT_TRUE(area_->present);
}

TEST_F(TrayHooksTest, StartMinimizedActsOnlyWhenLoaded) {
    TTrayIcon& icon = loadedIcon();
    EXPECT_TRUE(state_.showMainFormOnRun);
    icon.setStartMinimized(true);
    EXPECT_TRUE(state_.showMainFormOnRun);
}

class FailingHide : public TTrayIcon {
public:
    using TTrayIcon::TTrayIcon;

protected:
    void HideToTray() override { throw std::runtime_error("hide failed"); }
};

TEST_F(TrayHooksTest, AnErrorWhileHidingToTheTrayIsReportedInsteadOfEscaping) {
    icon_ =
        std::make_unique<FailingHide>(&owner_, std::make_unique<RecordingNotificationArea>(area_));
    icon_->Loaded();
    icon_->setMinimizeToTray(true);
    EXPECT_NO_THROW(minimise());
    EXPECT_EQ(takeErrors(), std::vector<std::string>{"hide failed"});
}

}  // namespace
}  // namespace veltrop::testing
