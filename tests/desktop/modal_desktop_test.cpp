#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "app/application.h"
#include "desktop_session.h"
#include "platform/form.h"
#include "platform/modal_loop.h"
#include "platform/program_state.h"
#include "platform/termination.h"

// The modal loop's rules that only a real window manager can show: its close box
// and the always-on-top state it sees.
namespace veltrop::testing {
namespace {

constexpr int kTimeoutMs = 60000;

class ModalDesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        desktop_ = new DesktopSession;
        for (const std::string& entry : desktop_->environment()) {
            const auto equals = entry.find('=');
            qputenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str());
        }
        app_ = new Application(argc_, argv_);
    }
    static void TearDownTestSuite() {
        EXPECT_EQ(app_->escapedExceptions(), 0);
        delete app_;
        delete desktop_;
    }

    void SetUp() override {
        mainWindow_.setWindowTitle("Main Window");
        mainWindow_.setWindowFlag(Qt::WindowStaysOnTopHint);
        mainWindow_.setGeometry(100, 100, 300, 80);
        state_.mainForm = &mainWindow_;
        mainWindow_.show();
        dialog_.setWindowTitle("Modal Dialog");
        dialog_.setGeometry(150, 250, 200, 60);
        ASSERT_TRUE(framed("Main Window"));
    }

    XDisplay& display() { return desktop_->display(); }

    bool framed(const char* title) {
        return QTest::qWaitFor([&] { return display().framedWindowNamed(title).has_value(); },
                               kTimeoutMs);
    }
    bool floats(Form& form) {
        const auto state = display().netWmState(form.winId());
        return std::find(state.begin(), state.end(), "_NET_WM_STATE_ABOVE") != state.end();
    }

    static void later(std::function<void()> step) {
        QTimer::singleShot(0, QApplication::instance(), std::move(step));
    }

    static inline DesktopSession* desktop_ = nullptr;
    static inline Application* app_ = nullptr;
    static inline int argc_ = 1;
    static inline char name_[] = "modal_desktop_test";
    static inline char* argv_[] = {name_, nullptr};

    ProgramState state_;
    Form mainWindow_;
    Form dialog_;
};

TEST_F(ModalDesktopTest, TheCloseBoxOfAModalWindowEndsItsLoopWithCancel) {
    later([&] {
        ASSERT_TRUE(framed("Modal Dialog"));
        display().requestClose(dialog_.winId());
    });
    EXPECT_EQ(showModal(dialog_), 2);
    EXPECT_FALSE(isTerminating());
}

TEST_F(ModalDesktopTest, TheCloseBoxOfTheDisabledMainWindowDoesNothingDuringAModalLoop) {
    later([&] {
        ASSERT_TRUE(framed("Modal Dialog"));
        // The window manager passes both requests on in this order, so the main
        // window's has been handled once the dialog's ends the loop.
        display().requestClose(mainWindow_.winId());
        display().requestClose(dialog_.winId());
    });
    EXPECT_EQ(showModal(dialog_), 2);
    EXPECT_FALSE(isTerminating());
    EXPECT_TRUE(mainWindow_.isVisible());
}

TEST_F(ModalDesktopTest, TheWindowManagerSeesTheMainWindowLoweredOnlyWhileTheLoopRuns) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return floats(mainWindow_); }, kTimeoutMs));
    bool loweredInside = false;
    later([&] {
        loweredInside = QTest::qWaitFor([&] { return !floats(mainWindow_); }, kTimeoutMs);
        dialog_.setModalResult(1);
    });
    EXPECT_EQ(showModal(dialog_), 1);
    EXPECT_TRUE(loweredInside);
    EXPECT_TRUE(QTest::qWaitFor([&] { return floats(mainWindow_); }, kTimeoutMs));
}

// Taskbars list the window manager's viewable client windows: a hidden main window
// leaves that list, and comes back to it when shown again.
TEST_F(ModalDesktopTest, HidingTheMainWindowTakesItOffTheDesktopAndShowingBringsItBack) {
    mainWindow_.hide();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !display().framedWindowNamed("Main Window").has_value(); }, kTimeoutMs));
    mainWindow_.show();
    EXPECT_TRUE(framed("Main Window"));
}

}  // namespace
}  // namespace veltrop::testing
