#include <QApplication>
#include <QWindow>
#include <string>
#include <vector>

#include "platform/modal_loop.h"
#include "platform_fixture.h"

namespace veltrop::testing {
namespace {

using TerminationTest = PlatformTest;

TEST_F(TerminationTest, ClosingTheMainWindowDuringAModalLoopEndsItWithCancelAndTheCallerGoesOn) {
    Form mainWindow;
    programState().mainForm = &mainWindow;
    mainWindow.show();
    Form dialog;
    std::vector<std::string> steps;
    later(0, [&] {
        // As the tray menu's Exit does while the selection window is open.
        later(20, [&] { mainWindow.close(); });
        steps.push_back("result " + std::to_string(showModal(dialog)));
        steps.push_back("remaining step, main window enabled: " +
                        std::to_string(mainWindow.isEnabled()));
    });

    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(steps,
              (std::vector<std::string>{"result 2", "remaining step, main window enabled: 1"}));
    EXPECT_TRUE(isTerminating());
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(TerminationTest, AModalLoopStartedWhileTerminatingEndsAtOnceWithCancel) {
    Form dialog;
    int result = -1;
    later(0, [&] {
        requestTermination();
        result = showModal(dialog);
    });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(result, 2);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(TerminationTest, ClosingTheMainWindowTerminatesAndLeavesTheWindowToShutdown) {
    Form mainWindow;
    programState().mainForm = &mainWindow;
    mainWindow.show();
    later(0, [&] { mainWindow.close(); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(isTerminating());
    EXPECT_TRUE(mainWindow.isVisible());
}

TEST_F(TerminationTest, ClosingAnotherWindowHidesItAndNeverTerminates) {
    Form mainWindow;
    programState().mainForm = &mainWindow;
    Form other;
    other.show();
    other.close();
    EXPECT_FALSE(other.isVisible());
    EXPECT_FALSE(isTerminating());
}

TEST_F(TerminationTest, ClosingAHiddenWindowHasNoVisibleEffect) {
    Form mainWindow;
    programState().mainForm = &mainWindow;
    Form hidden;
    hidden.setModalResult(8);
    EXPECT_TRUE(hidden.close());
    EXPECT_FALSE(hidden.isVisible());
    EXPECT_EQ(hidden.modalResult(), 8);
    EXPECT_FALSE(isTerminating());
}

}  // namespace
}  // namespace veltrop::testing
