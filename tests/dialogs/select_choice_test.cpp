// The choice in "Select": a double-click finds the row's record in the main window's
// cursor by all four key fields, settling a pending change there first through the
// real "Save Changes?", and ends the window's loop as each outcome requires.
#include <deque>

#include "app/program_windows.h"
#include "dialogs/confirm.h"
#include "main_window/form1.h"
#include "platform/window_hook.h"
#include "select_fixture.h"
#include "support/raw_database.h"

namespace veltrop::testing {
namespace {

enum class Answer { Ok, Cancel };

// The same description and address three times: the first differs in the hidden
// login and password, the other two differ only in their notes.
const std::vector<Record> kRecords = {
    {"Mail", "https://mail.example", "alice", "pw-a", "alice's"},
    {"Mail", "https://mail.example", "bob", "pw-b", "bob's first"},
    {"Mail", "https://mail.example", "bob", "pw-b", "bob's second"},
    {"Bank", "https://bank.example", "carol", "pw-c", "carol's"},
};

// The three windows, wired as start-up wires them. Each question Form3 asks is
// answered with the next of the test's answers by a key on its focused button.
class SelectChoiceTest : public SelectTest {
protected:
    void TearDown() override {
        EXPECT_TRUE(answers_.empty()) << "a question the test expected was not asked";
        form3_.reset();
        form2_.reset();
        form1_.reset();
        SelectTest::TearDown();
    }

    void openWindows(const std::vector<Record>& records) {
        openSelection(records);
        form1_ = std::make_unique<TForm1>(session_, Table::PasswordPrompt());
        form3_ = std::make_unique<TForm3>();
        ProgramWindows().connectWindows(*form1_, *form2_, *form3_);
        programState().mainForm = form1_.get();
        form1_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1_.get()));
        // Answers once the dialog's loop runs, which is after its show event.
        questionHook_ = std::make_unique<WindowHook>(*form3_, [this](QObject&, QEvent& event) {
            if (event.type() == QEvent::Show) {
                QTimer::singleShot(0, form3_.get(), [this] { answerQuestion(); });
            }
        });
    }

    Table& mainTable() { return form1_->Table1(); }
    Record mainRecord() { return currentRecord(mainTable()); }

    // Starts editing the main window's record as the user does, by typing.
    void typePassword(const QString& text) { QTest::keyClicks(form1_->DBEdit4(), text); }

    // The answers to the questions that come next, in order.
    void answerWith(const std::vector<Answer>& answers) {
        answers_.assign(answers.begin(), answers.end());
    }

    // Shows Form2 as Find does and double-clicks the row; returns the loop's result.
    int chooseRow(int row, const std::vector<Answer>& answers = {}) {
        answerWith(answers);
        const int result = whileModal(*form2_, [&] { doubleClickRow(row); });
        form2_->refreshAfterClose();
        return result;
    }

    // Whether Form2 was still shown when "Save Changes?" came up.
    std::vector<bool> selectionShownAtQuestion_;

private:
    void answerQuestion() {
        EXPECT_EQ(form3_->windowTitle(), "Save Changes?");
        selectionShownAtQuestion_.push_back(form2_->isVisible());
        Answer given = Answer::Cancel;
        if (answers_.empty()) {
            ADD_FAILURE() << "an unexpected question";
        } else {
            given = answers_.front();
            answers_.pop_front();
        }
        QTest::keyClick(form3_->focusWidget(),
                        given == Answer::Ok ? Qt::Key_Return : Qt::Key_Escape);
    }

    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<WindowHook> questionHook_;
    std::deque<Answer> answers_;

protected:
    TForm1& form1() { return *form1_; }
};

TEST_F(SelectChoiceTest, TheChosenRowsFourFieldsFindTheFirstMatchingRecord) {
    openWindows(kRecords);
    // Equal description and address; the hidden login and password decide.
    EXPECT_EQ(chooseRow(1), ModalResult::Chosen);
    EXPECT_EQ(mainRecord(), kRecords[1]);
    EXPECT_EQ(form1().DBEdit3()->text(), "bob");
    // Equal in all four fields: the first in table order, whichever row was chosen.
    EXPECT_EQ(chooseRow(2), ModalResult::Chosen);
    EXPECT_EQ(mainRecord(), kRecords[1]);
    EXPECT_EQ(chooseRow(0), ModalResult::Chosen);
    EXPECT_EQ(mainRecord(), kRecords[0]);

    // Below the last row: the highlighted row is chosen.
    ASSERT_GT(grid().visibleRowCount(), static_cast<int>(kRecords.size()));
    QTest::keyClick(&grid(), Qt::Key_End);
    EXPECT_EQ(chooseRow(static_cast<int>(kRecords.size())), ModalResult::Chosen);
    EXPECT_EQ(mainRecord(), kRecords[3]);

    EXPECT_FALSE(form2_->isVisible());
    EXPECT_TRUE(form1().isEnabled());
    EXPECT_EQ(recordsInFile(credentials::kFileName), kRecords);
}

TEST_F(SelectChoiceTest, CloseBoxOrARecordNoLongerThereLeavesTheMainRecord) {
    openWindows(kRecords);
    EXPECT_EQ(whileModal(*form2_,
                         [&] {
                             QTest::keyClick(&grid(), Qt::Key_End);
                             form2_->close();
                         }),
              ModalResult::Cancel);
    form2_->refreshAfterClose();
    EXPECT_EQ(mainRecord(), kRecords[0]);

    // Changed through the main window after the list was last read: nothing matches.
    mainTable().Locate(credentials::kLocateKey, {"Bank", "https://bank.example", "carol", "pw-c"});
    mainTable().Edit();
    mainTable().fieldByName(credentials::kPassword).setAsString("renewed");
    answerWith({Answer::Ok});
    mainTable().Post();
    mainTable().first();
    EXPECT_EQ(chooseRow(3), ModalResult::Chosen);
    EXPECT_EQ(mainRecord(), kRecords[0]);
}

TEST_F(SelectChoiceTest, APendingChangeSavedWithOkIsStoredBeforeTheChoiceIsShown) {
    openWindows(kRecords);
    typePassword("X");
    EXPECT_EQ(chooseRow(3, {Answer::Ok}), ModalResult::Chosen);
    // The question hid the window it was asked from.
    EXPECT_EQ(selectionShownAtQuestion_, std::vector<bool>{false});
    EXPECT_EQ(mainRecord(), kRecords[3]);
    std::vector<Record> stored = kRecords;
    stored[0][3] = "pw-aX";
    EXPECT_EQ(recordsInFile(credentials::kFileName), stored);
    // The list read the change when it was refreshed after the loop.
    QTest::keyClick(&grid(), Qt::Key_Home);
    EXPECT_EQ(grid().fieldText(3), "pw-aX");
}

TEST_F(SelectChoiceTest, CancelToSaveChangesEndsTheWindowWithoutAChoice) {
    openWindows(kRecords);
    typePassword("X");
    EXPECT_EQ(chooseRow(3, {Answer::Cancel}), ModalResult::Cancel);
    // No message, and the main window usable, on the record it showed, as stored.
    EXPECT_FALSE(form2_->isVisible());
    EXPECT_FALSE(form2_->showingModal());
    EXPECT_TRUE(form1().isEnabled());
    EXPECT_EQ(mainTable().state(), TableState::Browse);
    EXPECT_EQ(mainRecord(), kRecords[0]);
    EXPECT_EQ(form1().DBEdit4()->text(), "pw-a");
    EXPECT_EQ(recordsInFile(credentials::kFileName), kRecords);

    // The next Find works as ever.
    EXPECT_EQ(chooseRow(3), ModalResult::Chosen);
    EXPECT_EQ(mainRecord(), kRecords[3]);
}

TEST_F(SelectChoiceTest, AnEmptyListLocatesFourEmptyTextsAfterSettlingTheMainTable) {
    openWindows({});
    QTest::keyClicks(form1().DBEdit1(), "New");
    ASSERT_EQ(mainTable().state(), TableState::Insert);
    EXPECT_EQ(chooseRow(0, {Answer::Ok}), ModalResult::Chosen);
    const Record added = {"New", "", "", "", ""};
    EXPECT_EQ(recordsInFile(credentials::kFileName), std::vector<Record>{added});
    EXPECT_EQ(mainRecord(), added);
    EXPECT_EQ(grid().fieldText(0), "New");
}

TEST_F(SelectChoiceTest, AFailedSaveAfterTheWindowWasHiddenEndsItAndKeepsTheChange) {
    openWindows(kRecords);
    typePassword("X");
    // Another program removes the record being edited.
    RawDatabase(credentials::kFileName).exec(R"(DELETE FROM records WHERE "LOGIN ID" = 'alice')");
    EXPECT_EQ(chooseRow(3, {Answer::Ok}), ModalResult::Cancel);
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_TRUE(recordedBoxes()[0].text.startsWith("The record has been deleted by another user"))
        << recordedBoxes()[0].text.toStdString();
    clearRecordedBoxes();
    EXPECT_FALSE(form2_->isVisible());
    EXPECT_TRUE(form1().isEnabled());
    EXPECT_EQ(mainTable().state(), TableState::Edit);
    EXPECT_EQ(form1().DBEdit4()->text(), "pw-aX");
}

TEST_F(SelectChoiceTest, AFailureWhileTheWindowIsShownKeepsItOpen) {
    openWindows(kRecords);
    mainTable().close();
    EXPECT_EQ(whileModal(*form2_,
                         [&] {
                             doubleClickRow(1);
                             EXPECT_TRUE(form2_->isVisible());
                             EXPECT_EQ(form2_->modalResult(), ModalResult::Running);
                             form2_->close();
                         }),
              ModalResult::Cancel);
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_EQ(recordedBoxes()[0].text,
              "Table1: Cannot perform this operation on a closed dataset.");
    clearRecordedBoxes();
}

}  // namespace
}  // namespace veltrop::testing
