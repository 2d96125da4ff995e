#include "commands_fixture.h"
#include "support/faulty_vfs.h"

namespace veltrop::testing {
namespace {

class Form1FindTest : public CommandsTest {
protected:
    // Finds the row's record: Find, then a double-click on the row in Form2.
    void choose(int row) {
        whileSelectionShown([row](TForm2& form) { doubleClickRow(form, row); });
        click(form1().ToolButtonLookUp());
    }

    // The main window is back to taking input, with the selection window gone.
    void expectUsable() {
        EXPECT_TRUE(form1().isEnabled());
        EXPECT_FALSE(form2().isVisible());
        EXPECT_FALSE(form2().showingModal());
        EXPECT_FALSE(form3().isVisible());
    }
};

TEST_F(Form1FindTest, TheChosenRowIsShownInTheMainWindow) {
    openWindows(kRecords);
    QPoint offset;
    bool mainEnabled = true;
    whileSelectionShown([&](TForm2& form) {
        offset = form.pos() - form1().pos();
        mainEnabled = form1().isEnabled();
        doubleClickRow(form, 2);
    });
    click(form1().ToolButtonLookUp());

    EXPECT_EQ(offset, QPoint(25, 25));
    EXPECT_FALSE(mainEnabled);
    EXPECT_EQ(shown(), kRecords[2]);
    EXPECT_EQ(table().state(), TableState::Browse);
    EXPECT_TRUE(asked_.empty());
    expectUsable();
    EXPECT_EQ(storedRecords(), kRecords);
}

TEST_F(Form1FindTest, PendingChangesWaitUntilARowIsChosenAndAreThenSavedOnOk) {
    openWindows(kRecords);
    type(form1().DBEdit4(), "9");
    bool askedOnOpening = true;
    TableState stateOnOpening = TableState::Browse;
    answer({Answer::Ok});
    whileSelectionShown([&](TForm2& form) {
        askedOnOpening = !asked_.empty();
        stateOnOpening = table().state();
        doubleClickRow(form, 2);
    });
    click(form1().ToolButtonLookUp());

    EXPECT_FALSE(askedOnOpening);
    EXPECT_EQ(stateOnOpening, TableState::Edit);
    ASSERT_EQ(captionsAsked(), std::vector<QString>{kSave});
    EXPECT_EQ(asked_[0].offset, QPoint(25, 25));
    EXPECT_FALSE(asked_[0].selectionWindowVisible);
    EXPECT_EQ(storedRecords(), (std::vector<Record>{kEdited, kRecords[1], kRecords[2]}));
    EXPECT_EQ(shown(), kRecords[2]);
    expectUsable();
}

// "Save Changes?" answered Cancel after a double-click ends the selection without a
// choice: the main window takes input again and shows the record it showed before,
// as stored, and the next Find works as ever.
TEST_F(Form1FindTest, CancellingTheSaveOfAChoiceLeavesTheMainWindowUsableOnItsRecord) {
    openWindows(kRecords);
    type(form1().DBEdit4(), "9");
    answer({Answer::Cancel});
    choose(2);
    EXPECT_EQ(captionsAsked(), std::vector<QString>{kSave});
    expectUsable();
    EXPECT_EQ(table().state(), TableState::Browse);
    EXPECT_EQ(shown(), kRecords[0]);
    EXPECT_EQ(storedRecords(), kRecords);

    choose(1);
    EXPECT_EQ(shown(), kRecords[1]);
    expectUsable();

    // A new record dropped the same way brings back the record shown before it.
    answer({Answer::Ok});
    click(form1().ToolButtonAdd());
    type(form1().DBEdit1(), "New");
    answer({Answer::Cancel});
    choose(2);
    expectUsable();
    EXPECT_EQ(table().state(), TableState::Browse);
    EXPECT_EQ(shown(), kRecords[1]);
    EXPECT_EQ(storedRecords(), kRecords);
    EXPECT_TRUE(recordedBoxes().empty());
}

TEST_F(Form1FindTest, AFailedSaveOfAChoiceIsReportedAndKeepsTheEditInAUsableWindow) {
    FaultyVfs::instance();
    openWindows(kRecords, {.vfsName = FaultyVfs::kName});
    type(form1().DBEdit4(), "9");
    FaultyVfs::instance().arm(1, FaultMode::Persistent, FaultKind::DiskFull);
    answer({Answer::Ok});
    choose(2);
    FaultyVfs::instance().disarm();

    EXPECT_EQ(recordedBoxes().size(), 1u);
    expectUsable();
    EXPECT_EQ(table().state(), TableState::Edit);
    EXPECT_EQ(shown(), kEdited);
    EXPECT_EQ(storedRecords(), kRecords);
}

// The list shows the table as its own cursor last read it: at start-up, then after
// each Find has closed, whichever way it closed.
TEST_F(Form1FindTest, TheListIsReadAfterItClosesNotBeforeItOpens) {
    openWindows(kRecords);
    answer({Answer::Ok, Answer::Ok});
    click(form1().ToolButtonAdd());
    type(form1().DBEdit1(), "New");
    click(form1().ToolButtonSave());
    ASSERT_EQ(storedRecords().size(), 4u);

    std::vector<int> rowsShown;
    whileSelectionShown([&](TForm2& form) {
        rowsShown.push_back(form.DBGrid1().model()->rowCount());
        form.close();
    });
    click(form1().ToolButtonLookUp());
    click(form1().ToolButtonLookUp());

    EXPECT_EQ(rowsShown, (std::vector<int>{3, 4}));
    // Closed without a choice: the main window keeps its record.
    EXPECT_EQ(shown()[0], "New");
    expectUsable();
}

}  // namespace
}  // namespace veltrop::testing
