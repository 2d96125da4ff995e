#include <algorithm>
#include <filesystem>

#include "commands_fixture.h"
#include "support/faulty_vfs.h"

namespace veltrop::testing {
namespace {

const Record kNew = {"New", "", "", "", ""};
const Record kEmpty = {"", "", "", "", ""};

std::vector<Record> with(std::vector<Record> records, const Record& added) {
    records.push_back(added);
    return records;
}

// Where a new record lands in the file is the engine's choice.
std::vector<Record> sorted(std::vector<Record> records) {
    std::sort(records.begin(), records.end());
    return records;
}

// What the main window's cursor holds before the command is clicked.
enum class Start { Browse, EditModified, EditUntouched, InsertModified, InsertUntouched };

struct Row {
    const char* name;
    Start start;
    QToolButton* (TForm1::*button)() const;
    std::vector<Answer> answers;
    std::vector<QString> questions;
    TableState state;
    std::vector<Record> stored;
    Record shown;
    bool programEnds;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

// Name, start, button, answers, questions asked, state, records in the file, record
// shown, whether the program ends.
// clang-format off
const Row kRows[] = {
    {"BrowseAddOk", Start::Browse, &TForm1::ToolButtonAdd, {Answer::Ok}, {kAdd},
     TableState::Insert, kRecords, kEmpty, false},
    {"BrowseAddCancel", Start::Browse, &TForm1::ToolButtonAdd, {Answer::Cancel}, {kAdd},
     TableState::Browse, kRecords, kRecords[0], false},
    {"EditModifiedAddOkSaveOk", Start::EditModified, &TForm1::ToolButtonAdd,
     {Answer::Ok, Answer::Ok}, {kAdd, kSave},
     TableState::Insert, {kEdited, kRecords[1], kRecords[2]}, kEmpty, false},
    {"EditModifiedAddOkSaveCancel", Start::EditModified, &TForm1::ToolButtonAdd,
     {Answer::Ok, Answer::Cancel}, {kAdd, kSave},
     TableState::Browse, kRecords, kRecords[0], false},
    // Cancel keeps the pending change as it is.
    {"EditModifiedAddCancel", Start::EditModified, &TForm1::ToolButtonAdd, {Answer::Cancel}, {kAdd},
     TableState::Edit, kRecords, kEdited, false},
    {"EditUntouchedAddOk", Start::EditUntouched, &TForm1::ToolButtonAdd, {Answer::Ok}, {kAdd},
     TableState::Insert, kRecords, kEmpty, false},
    {"InsertUntouchedAddOk", Start::InsertUntouched, &TForm1::ToolButtonAdd, {Answer::Ok}, {kAdd},
     TableState::Insert, kRecords, kEmpty, false},
    {"InsertModifiedAddOkSaveOk", Start::InsertModified, &TForm1::ToolButtonAdd,
     {Answer::Ok, Answer::Ok}, {kAdd, kSave},
     TableState::Insert, with(kRecords, kNew), kEmpty, false},
    {"InsertModifiedAddOkSaveCancel", Start::InsertModified, &TForm1::ToolButtonAdd,
     {Answer::Ok, Answer::Cancel}, {kAdd, kSave},
     TableState::Browse, kRecords, kRecords[0], false},
    {"EditModifiedSaveOk", Start::EditModified, &TForm1::ToolButtonSave, {Answer::Ok}, {kSave},
     TableState::Browse, {kEdited, kRecords[1], kRecords[2]}, kEdited, false},
    {"EditModifiedSaveCancel", Start::EditModified, &TForm1::ToolButtonSave, {Answer::Cancel},
     {kSave}, TableState::Browse, kRecords, kRecords[0], false},
    {"InsertModifiedSaveOk", Start::InsertModified, &TForm1::ToolButtonSave, {Answer::Ok}, {kSave},
     TableState::Browse, with(kRecords, kNew), kNew, false},
    {"InsertModifiedSaveCancel", Start::InsertModified, &TForm1::ToolButtonSave, {Answer::Cancel},
     {kSave}, TableState::Browse, kRecords, kRecords[0], false},
    // Never typed into, and still asked: OK stores a record with every field empty.
    {"InsertUntouchedSaveOk", Start::InsertUntouched, &TForm1::ToolButtonSave, {Answer::Ok},
     {kSave}, TableState::Browse, with(kRecords, kEmpty), kEmpty, false},
    {"BrowseSave", Start::Browse, &TForm1::ToolButtonSave, {}, {},
     TableState::Browse, kRecords, kRecords[0], false},
    {"BrowseDeleteOk", Start::Browse, &TForm1::ToolButtonDel, {Answer::Ok}, {kDelete},
     TableState::Browse, {kRecords[1], kRecords[2]}, kRecords[1], false},
    {"BrowseDeleteCancel", Start::Browse, &TForm1::ToolButtonDel, {Answer::Cancel}, {kDelete},
     TableState::Browse, kRecords, kRecords[0], false},
    {"EditModifiedDeleteOk", Start::EditModified, &TForm1::ToolButtonDel, {Answer::Ok}, {kDelete},
     TableState::Browse, {kRecords[1], kRecords[2]}, kRecords[1], false},
    {"InsertModifiedDeleteOk", Start::InsertModified, &TForm1::ToolButtonDel, {Answer::Ok},
     {kDelete}, TableState::Browse, kRecords, kRecords[0], false},
    {"BrowseExit", Start::Browse, &TForm1::ToolButtonExit, {}, {},
     TableState::Browse, kRecords, kRecords[0], true},
    {"EditModifiedExitOk", Start::EditModified, &TForm1::ToolButtonExit, {Answer::Ok}, {kSave},
     TableState::Browse, {kEdited, kRecords[1], kRecords[2]}, kEdited, true},
    {"EditModifiedExitCancel", Start::EditModified, &TForm1::ToolButtonExit, {Answer::Cancel},
     {kSave}, TableState::Browse, kRecords, kRecords[0], false},
    {"InsertModifiedExitOk", Start::InsertModified, &TForm1::ToolButtonExit, {Answer::Ok}, {kSave},
     TableState::Browse, with(kRecords, kNew), kNew, true},
};
// clang-format on

class Form1CommandsTest : public CommandsTest {
protected:
    void reach(Start start) {
        switch (start) {
            case Start::Browse:
                break;
            case Start::EditModified:
                type(form1().DBEdit4(), "9");
                break;
            case Start::EditUntouched:
                type(form1().DBEdit4(), "9");
                QTest::keyClick(form1().DBEdit4(), Qt::Key_Backspace);
                break;
            case Start::InsertModified:
            case Start::InsertUntouched:
                answer({Answer::Ok});
                click(form1().ToolButtonAdd());
                if (start == Start::InsertModified) {
                    type(form1().DBEdit1(), "New");
                }
                break;
        }
        asked_.clear();
    }
};

class Form1CommandRowTest : public Form1CommandsTest, public ::testing::WithParamInterface<Row> {};

TEST_P(Form1CommandRowTest, CommandMovesTheTableAndTheFileAsTheUserAnswered) {
    const Row& row = GetParam();
    openWindows(kRecords);
    reach(row.start);
    answer(row.answers);

    click((form1().*row.button)());

    EXPECT_EQ(captionsAsked(), row.questions);
    for (const Question& question : asked_) {
        EXPECT_EQ(question.offset, QPoint(25, 25));
        EXPECT_FALSE(question.mainWindowEnabled);
    }
    EXPECT_EQ(table().state(), row.state);
    EXPECT_EQ(sorted(storedRecords()), sorted(row.stored));
    EXPECT_EQ(shown(), row.shown);
    EXPECT_EQ(isTerminating(), row.programEnds);
    EXPECT_FALSE(form2().isVisible());
    EXPECT_FALSE(form3().isVisible());
    EXPECT_TRUE(form1().isEnabled());
    EXPECT_TRUE(recordedBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(StateTable, Form1CommandRowTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Form1CommandsTest, ExitCancelledKeepsTheProgramAndASecondExitEndsIt) {
    openWindows(kRecords);
    reach(Start::EditModified);
    answer({Answer::Cancel});
    click(form1().ToolButtonExit());
    ASSERT_FALSE(isTerminating());
    click(form1().ToolButtonExit());
    EXPECT_TRUE(isTerminating());
    EXPECT_EQ(captionsAsked(), std::vector<QString>{kSave});
    EXPECT_EQ(storedRecords(), kRecords);
}

TEST_F(Form1CommandsTest, DeleteAtTheEndsOfTheTable) {
    openWindows({kRecords[0], kRecords[1]});
    table().next();
    answer({Answer::Ok});
    click(form1().ToolButtonDel());
    // The last record gone, the one before it is shown.
    EXPECT_EQ(shown(), kRecords[0]);
    answer({Answer::Ok});
    click(form1().ToolButtonDel());
    EXPECT_EQ(shown(), kEmpty);
    EXPECT_TRUE(storedRecords().empty());
    ASSERT_TRUE(recordedBoxes().empty());

    answer({Answer::Ok});
    click(form1().ToolButtonDel());
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_EQ(recordedBoxes()[0].text,
              "Table1: Cannot perform this operation on an empty dataset.");
    EXPECT_TRUE(form1().isEnabled());
    EXPECT_EQ(captionsAsked(), (std::vector<QString>{kDelete, kDelete, kDelete}));
}

TEST_F(Form1CommandsTest, AFailedWriteIsReportedAndKeepsTheEditAndTheProgram) {
    FaultyVfs::instance();
    openWindows(kRecords, {.vfsName = FaultyVfs::kName});
    reach(Start::EditModified);
    FaultyVfs::instance().arm(1, FaultMode::Persistent, FaultKind::DiskFull);
    answer({Answer::Ok, Answer::Ok});
    click(form1().ToolButtonSave());
    click(form1().ToolButtonExit());
    FaultyVfs::instance().disarm();

    EXPECT_EQ(captionsAsked(), (std::vector<QString>{kSave, kSave}));
    EXPECT_EQ(recordedBoxes().size(), 2u);
    EXPECT_FALSE(isTerminating());
    EXPECT_EQ(table().state(), TableState::Edit);
    EXPECT_EQ(shown(), kEdited);
    EXPECT_EQ(storedRecords(), kRecords);

    // The work is still there to be saved once the disk takes it.
    answer({Answer::Ok});
    click(form1().ToolButtonSave());
    EXPECT_EQ(storedRecords(), (std::vector<Record>{kEdited, kRecords[1], kRecords[2]}));
}

TEST_F(Form1CommandsTest, TheCloseBoxEndsTheProgramWithoutAskingAndDropsTheEdit) {
    openWindows(kRecords);
    reach(Start::EditModified);
    form1().close();
    EXPECT_TRUE(isTerminating());
    closeWindows();
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(storedRecords(), kRecords);
}

// A main window that was never given its dialogs cannot ask, so it saves nothing.
TEST_F(Form1CommandsTest, WithoutItsDialogsTheMainWindowRefusesToSave) {
    engine::Session session;
    createCredentialTable(session, credentials::kFileName, kRecords);
    TForm1 alone(session, {});
    alone.show();
    type(alone.DBEdit4(), "9");
    click(alone.ToolButtonSave());
    EXPECT_EQ(recordedBoxes().size(), 1u);
    EXPECT_EQ(alone.Table1().state(), TableState::Edit);
    EXPECT_EQ(storedRecords(), kRecords);
}

TEST_F(Form1CommandsTest, ARefusalOfTheTableIsReportedAndStopsTheCommand) {
    createTable(kRecords);
    std::filesystem::permissions(credentials::kFileName, std::filesystem::perms::owner_read);
    const std::string before = readFileBytes(credentials::kFileName);
    openWindowsOnTable();
    answer({Answer::Ok, Answer::Ok});
    click(form1().ToolButtonAdd());
    click(form1().ToolButtonDel());

    EXPECT_EQ(captionsAsked(), (std::vector<QString>{kAdd, kDelete}));
    ASSERT_EQ(recordedBoxes().size(), 2u);
    EXPECT_EQ(recordedBoxes()[0].text, "Table1: Cannot modify a read-only dataset.");
    EXPECT_EQ(table().state(), TableState::Browse);
    EXPECT_EQ(shown(), kRecords[0]);
    EXPECT_TRUE(readFileBytes(credentials::kFileName) == before);
}

}  // namespace
}  // namespace veltrop::testing
