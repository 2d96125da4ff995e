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

TEST_F(CommandsDesktopTest, TypingRightAfterTheStartGoesIntoTheDescription) {
    startProgram();
    xdotool({"type", "Z"});
    clickToolButton("ToolButtonSave");
    ASSERT_NE(waitForActive("Save Changes?"), 0u);
    xdotool({"key", "Return"});
    ASSERT_TRUE(waitUntilGone("Save Changes?"));
    closeProgram();
    std::vector<Record> expected = kRecords;
    expected[0][0] += "Z";
    EXPECT_EQ(recordsInFile(credentials::kFileName), expected);
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

// More records than the grid shows: the keys and the wheel reach the last ones, and
// a double-click on the row that holds the current record shows that record.
TEST_F(CommandsDesktopTest, KeysAndTheWheelReachTheLastRowsOfALongListAndADoubleClickThere) {
    constexpr int kMore = 40;
    std::vector<Record> records = kRecords;
    {
        engine::Session session;
        auto file = session.openTable(credentials::kFileName, engine::OpenMode::ReadWrite);
        for (int index = 0; index < kMore; ++index) {
            const std::string n = std::to_string(index);
            records.push_back({"Site " + n, "site" + n + ".example", "user" + n, "pw" + n, ""});
            file->insert(records.back());
        }
    }
    const int shown = static_cast<int>(points_->rows.size());
    const int last = static_cast<int>(records.size()) - 1;
    ASSERT_LT(shown, last);
    startProgram();

    // Each step ends on a record the one before did not, so every choice shows.
    const struct {
        std::vector<std::string> keys;
        int wheelNotches;
        int chosen;
    } steps[] = {
        {{"End"}, 0, last},
        {{"Home", "Next"}, 0, shown},
        {{"Home", "Next", "Next", "Next", "Next", "Next", "Next", "Next", "Next", "Next", "Next"},
         0,
         last},
        {{"Home"}, 5, 5},
        {{"Home"}, 3 * last, last},
    };
    for (const auto& step : steps) {
        clickToolButton("ToolButtonLookUp");
        const Window selection = waitForActive("Select");
        ASSERT_NE(selection, 0u);
        std::vector<std::string> keys{"key"};
        keys.insert(keys.end(), step.keys.begin(), step.keys.end());
        xdotool(keys);
        const QPoint bottom = points_->rows.back();
        if (step.wheelNotches > 0) {
            xdotool({"mousemove", "--window", std::to_string(selection), std::to_string(bottom.x()),
                     std::to_string(bottom.y()), "click", "--repeat",
                     std::to_string(step.wheelNotches), "--delay", "10", "5"});
        }
        // The current record stands in the grid's last row once the list has scrolled.
        clickAt(selection, bottom, 2);
        ASSERT_TRUE(waitUntilGone("Select"));
        EXPECT_EQ(shownPassword(), records[step.chosen][3]) << step.chosen;
    }
    closeProgram();
    EXPECT_EQ(recordsInFile(credentials::kFileName), records);
}

}  // namespace
}  // namespace veltrop::testing
