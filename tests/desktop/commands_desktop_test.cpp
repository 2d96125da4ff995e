#include "program_fixture.h"

#include <algorithm>

#include "probes.h"

// The record commands of the real program, clicked and answered on a desktop with
// a window manager.
namespace veltrop::testing {
namespace {

class CommandsDesktopTest : public ProgramFixture {
protected:
    // Placed at the main window's left + 25 and top + 25, frames included.
    void expectOverTheMainWindow(Window window) {
        const FrameGeometry main = display().frameGeometry(mainWindow_);
        const FrameGeometry placed = display().frameGeometry(window);
        EXPECT_EQ(placed.x, main.x + 25);
        EXPECT_EQ(placed.y, main.y + 25);
    }
};

TEST_F(CommandsDesktopTest, SaveAnsweredOkAsksAboveTheMainWindowAndTheValueOutlivesARestart) {
    startProgram();
    typePassword("9");
    clickToolButton("ToolButtonSave");
    const Window dialog = waitForActive("Save Changes?");
    ASSERT_NE(dialog, 0u);

    expectOverTheMainWindow(dialog);
    const std::vector<Window> stacking = display().stackingOrder();
    const auto mainAt = std::find(stacking.begin(), stacking.end(), mainWindow_);
    const auto dialogAt = std::find(stacking.begin(), stacking.end(), dialog);
    ASSERT_NE(mainAt, stacking.end());
    ASSERT_NE(dialogAt, stacking.end());
    EXPECT_GT(dialogAt, mainAt) << "the question is stacked below the main window";

    xdotool({"key", "Return"});
    ASSERT_TRUE(waitUntilGone("Save Changes?"));
    // The question is unmapped before the post writes and lets the record go.
    EXPECT_TRUE(becomesTrue([&] { return !recordIsBeingEdited(numbers_[0]); }));
    closeProgram();
    EXPECT_EQ(recordsInFile(credentials::kFileName)[0][3], "secret9");

    startProgram();
    EXPECT_EQ(shownPassword(), "secret9");
    closeProgram();
}

TEST_F(CommandsDesktopTest, SaveAnsweredCancelLeavesTheStoredValue) {
    startProgram();
    typePassword("9");
    EXPECT_TRUE(becomesTrue([&] { return recordIsBeingEdited(numbers_[0]); }));
    clickToolButton("ToolButtonSave");
    ASSERT_NE(waitForActive("Save Changes?"), 0u);
    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitUntilGone("Save Changes?"));

    EXPECT_TRUE(becomesTrue([&] { return !recordIsBeingEdited(numbers_[0]); }));
    EXPECT_EQ(shownPassword(), "secret");
    closeProgram();
    EXPECT_EQ(recordsInFile(credentials::kFileName), kRecords);
}

TEST_F(CommandsDesktopTest, ExitWithPendingChangesCancelledStaysAndASecondExitEndsTheProgram) {
    startProgram();
    typePassword("9");
    clickToolButton("ToolButtonExit");
    ASSERT_NE(waitForActive("Save Changes?"), 0u);
    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitUntilGone("Save Changes?"));
    EXPECT_TRUE(stillRunning());
    EXPECT_TRUE(display().framedWindowNamed("Veltrop").has_value());

    clickToolButton("ToolButtonExit");
    EXPECT_EQ(program_->waitForExit(kTimeout), 0);
    EXPECT_EQ(recordsInFile(credentials::kFileName), kRecords);
}

TEST_F(CommandsDesktopTest, ADoubleClickOnARowOfFindShowsThatRecordInTheMainWindow) {
    startProgram();
    clickToolButton("ToolButtonLookUp");
    const Window selection = waitForActive("Select");
    ASSERT_NE(selection, 0u);
    expectOverTheMainWindow(selection);

    clickAt(selection, points_->rows.at(2), 2);
    ASSERT_TRUE(waitUntilGone("Select"));
    EXPECT_EQ(shownPassword(), kRecords[2][3]);
    // Typing now edits the chosen record: its lock is taken.
    typePassword("9");
    EXPECT_TRUE(becomesTrue([&] { return recordIsBeingEdited(numbers_[2]); }));
    EXPECT_FALSE(recordIsBeingEdited(numbers_[0]));
    closeProgram();
    EXPECT_EQ(recordsInFile(credentials::kFileName), kRecords);
}

}  // namespace
}  // namespace veltrop::testing
