// The memo editor: several lines, no limit, its own set of keys that start editing,
// Escape that reloads and passes the key on, no reload on focus changes.
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QTest>

#include "editor_fixture.h"
#include "store/credential_table.h"
#include "support/raw_database.h"

namespace veltrop::testing {
namespace {

class DBMemoTest : public EditorTest {};

TEST_F(DBMemoTest, ShowsTheWholeNoteReadOnlyUntilEditing) {
    open();
    EXPECT_EQ(dbMemo1_->toPlainText(), "two\nlines");
    EXPECT_TRUE(dbMemo1_->loaded());
    EXPECT_TRUE(dbMemo1_->isReadOnly());
    table_->Edit();
    EXPECT_FALSE(dbMemo1_->isReadOnly());
    EXPECT_FALSE(dbMemo1_->modified());
    table_->close();
    EXPECT_EQ(dbMemo1_->toPlainText(), "");
    EXPECT_FALSE(dbMemo1_->loaded());
    EXPECT_TRUE(dbMemo1_->isReadOnly());
}

TEST_F(DBMemoTest, TypingInBrowseStartsEditingAndTheCharacterIsShown) {
    open();
    clickInto(dbMemo1_);
    QTest::keyClick(dbMemo1_, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(dbMemo1_, Qt::Key_S);
    EXPECT_EQ(table_->state(), TableState::Edit);
    EXPECT_EQ(dbMemo1_->toPlainText(), "two\nliness");
    EXPECT_TRUE(dbMemo1_->modified());
    for (DBEdit* editor : lineEditors_) {
        EXPECT_FALSE(editor->isReadOnly());
    }
}

struct MemoKey {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* name;
    const char* result;  // the note after the key, typed at its end
};

class DBMemoKeyTest : public DBMemoTest, public ::testing::WithParamInterface<MemoKey> {};

TEST_P(DBMemoKeyTest, StartsEditingAndThenActs) {
    open();
    setClipboardText("clip");
    dbMemo1_->setTabChangesFocus(false);
    clickInto(dbMemo1_);
    QTest::keyClick(dbMemo1_, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(dbMemo1_, GetParam().key, GetParam().modifiers);
    EXPECT_EQ(table_->state(), TableState::Edit);
    EXPECT_EQ(dbMemo1_->toPlainText(), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, DBMemoKeyTest,
    ::testing::Values(MemoKey{Qt::Key_Return, Qt::NoModifier, "Enter", "two\nlines\n"},
                      MemoKey{Qt::Key_Enter, Qt::KeypadModifier, "KeypadEnter", "two\nlines\n"},
                      MemoKey{Qt::Key_J, Qt::ControlModifier, "CtrlJ", "two\nlines\n"},
                      MemoKey{Qt::Key_Tab, Qt::NoModifier, "Tab", "two\nlines\t"},
                      MemoKey{Qt::Key_Backspace, Qt::NoModifier, "Backspace", "two\nline"},
                      MemoKey{Qt::Key_Delete, Qt::NoModifier, "Delete", "two\nlines"},
                      MemoKey{Qt::Key_V, Qt::ControlModifier, "CtrlV", "two\nlinesclip"},
                      MemoKey{Qt::Key_Insert, Qt::ShiftModifier, "ShiftInsert", "two\nlinesclip"},
                      MemoKey{Qt::Key_X, Qt::ControlModifier, "CtrlX", "two\nlines"},
                      MemoKey{Qt::Key_Z, Qt::ControlModifier, "CtrlZ", "two\nlines"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DBMemoTest, TabMovesTheFocusOnAndStartsNothing) {
    open();
    clickInto(dbMemo1_);
    QTest::keyClick(dbMemo1_, Qt::Key_Tab);
    EXPECT_EQ(table_->state(), TableState::Browse);
    EXPECT_EQ(dbMemo1_->toPlainText(), "two\nlines");
    EXPECT_FALSE(dbMemo1_->hasFocus());
    // Also while editing.
    table_->Edit();
    clickInto(dbMemo1_);
    QTest::keyClick(dbMemo1_, Qt::Key_Tab);
    EXPECT_EQ(dbMemo1_->toPlainText(), "two\nlines");
    EXPECT_FALSE(dbMemo1_->hasFocus());
}

TEST_F(DBMemoTest, TakesLineBreaksAndIsNotLimited) {
    open();
    clickInto(dbMemo1_);
    dbMemo1_->selectAll();
    const QString line(300, u'n');
    QTest::keyClicks(dbMemo1_, line);
    QTest::keyClick(dbMemo1_, Qt::Key_Return);
    QTest::keyClicks(dbMemo1_, "end");
    EXPECT_EQ(dbMemo1_->toPlainText(), line + "\nend");
    table_->Post();
    EXPECT_EQ(QString::fromStdString(storedRecords()[0][4]), line + "\nend");
}

TEST_F(DBMemoTest, AMegabytePasteGetsInWholeAndIsStored) {
    open();
    QString note;
    for (int line = 0; note.size() < 1024 * 1024; ++line) {
        note += QString("line %1 ").arg(line, 8, 10, QChar(u'0')).leftJustified(63, u'.') + '\n';
    }
    note.truncate(1024 * 1024);
    setClipboardText(note);
    dbMemo1_->selectAll();
    dbMemo1_->pasteFromClipboard();
    EXPECT_EQ(table_->state(), TableState::Edit);
    EXPECT_TRUE(dbMemo1_->toPlainText() == note);
    table_->Post();
    EXPECT_TRUE(QString::fromStdString(storedRecords()[0][4]) == note);
    EXPECT_TRUE(dbMemo1_->toPlainText() == note);
}

TEST_F(DBMemoTest, EscapeReloadsTheNoteAndTheKeyGoesOn) {
    open();
    clickInto(dbMemo1_);
    QTest::keyClicks(dbMemo1_, "more");
    ASSERT_TRUE(dbMemo1_->modified());
    QTest::keyClick(dbMemo1_, Qt::Key_Escape);
    EXPECT_EQ(dbMemo1_->toPlainText(), "two\nlines");
    EXPECT_FALSE(dbMemo1_->modified());
    EXPECT_EQ(table_->state(), TableState::Edit);
    EXPECT_EQ(window_.keysReceived, std::vector<int>{Qt::Key_Escape});
}

TEST_F(DBMemoTest, FocusChangesWriteBackButDoNotReload) {
    open();
    table_->Edit();
    setClipboardText("pasted");
    // Filled while another editor has the focus, as the main window's menu could.
    clickInto(dbEdit1_);
    dbMemo1_->selectAll();
    dbMemo1_->pasteFromClipboard();
    clickInto(dbMemo1_);
    EXPECT_EQ(dbMemo1_->toPlainText(), "pasted");
    EXPECT_EQ(fieldText(credentials::kNote), "two\nlines");
    clickInto(dbEdit1_);
    EXPECT_EQ(fieldText(credentials::kNote), "pasted");
    EXPECT_FALSE(dbMemo1_->modified());
}

TEST_F(DBMemoTest, AFailedWriteBackOnLeavingIsShownAndKeepsTheFocus) {
    open();
    clickInto(dbMemo1_);
    dbMemo1_->setPlainText("set by a program");
    clickInto(dbEdit1_);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dbMemo1_->hasFocus(); }, 5000));
    EXPECT_EQ(reportedErrors(),
              std::vector<std::string>{"Table1: Dataset not in edit or insert mode"});
    EXPECT_EQ(dbMemo1_->toPlainText(), "set by a program");
}

TEST_F(DBMemoTest, CopyingCopiesTheSelectedLinesAsPlainText) {
    open();
    clickInto(dbMemo1_);
    QTest::keyClick(dbMemo1_, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(dbMemo1_, "!");
    dbMemo1_->selectAll();
    dbMemo1_->copyToClipboard();
    EXPECT_EQ(clipboardText(), "two\nlines!");
    EXPECT_FALSE(QApplication::clipboard()->mimeData()->hasHtml());
    EXPECT_EQ(fieldText(credentials::kNote), "two\nlines");
}

TEST_F(DBMemoTest, OnAReadOnlyTableKeysDoNothingAndSayNothing) {
    openReadOnly();
    setClipboardText("clip");
    dbMemo1_->setTabChangesFocus(false);
    clickInto(dbMemo1_);
    QTest::keyClicks(dbMemo1_, "abc");
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Tab, Qt::Key_Backspace, Qt::Key_Delete}) {
        QTest::keyClick(dbMemo1_, key);
    }
    QTest::keyClick(dbMemo1_, Qt::Key_J, Qt::ControlModifier);
    QTest::keyClick(dbMemo1_, Qt::Key_V, Qt::ControlModifier);
    dbMemo1_->pasteFromClipboard();
    QInputMethodEvent commit;
    commit.setCommitString("ime");
    QApplication::sendEvent(dbMemo1_, &commit);
    EXPECT_EQ(dbMemo1_->toPlainText(), "two\nlines");
    EXPECT_TRUE(dbMemo1_->isReadOnly());
    EXPECT_EQ(table_->state(), TableState::Browse);
    EXPECT_TRUE(reportedErrors().empty());
}

TEST_F(DBMemoTest, OddUnicodeIsTypedStoredAndReloadedUnchanged) {
    open();
    const QString note = QString::fromUtf8(
        "a\u0308o\u0308\n👨\u200d👩\u200d👧 "
        "🏳\ufe0f\u200d🌈\n\u05e2\u05d1\u05e8\u05d9\u05ea "
        "\u0627\u0644\u0639\u0631\u0628\u064a\u0629 123");
    clickInto(dbMemo1_);
    dbMemo1_->selectAll();
    for (const QString& line : note.split('\n')) {
        if (line != note.section('\n', 0, 0)) {
            QTest::keyClick(dbMemo1_, Qt::Key_Return);
        }
        typeText(dbMemo1_, line);
    }
    EXPECT_EQ(dbMemo1_->toPlainText(), note);
    table_->Post();
    EXPECT_EQ(storedRecords()[0][4], note.toStdString());
    table_->close();
    table_->open();
    EXPECT_EQ(dbMemo1_->toPlainText(), note);
}

TEST_F(DBMemoTest, ANoteThatIsNotValidTextStaysAsStoredWhenOtherFieldsChange) {
    open();
    RawDatabase raw(credentials::kFileName);
    raw.exec("UPDATE records SET \"NOTE\" = CAST(X'6C696E650D0A00FF' AS TEXT) WHERE recno = 1");
    const auto before = raw.row("SELECT \"NOTE\" FROM records WHERE recno = 1");
    table_->Refresh();
    clickInto(dbMemo1_);
    QTest::keyClick(dbMemo1_, Qt::Key_Escape);
    clickInto(dbEdit1_);
    QTest::keyClicks(dbEdit1_, "x");
    table_->Post();
    EXPECT_EQ(raw.row("SELECT \"NOTE\" FROM records WHERE recno = 1"), before);
}

}  // namespace
}  // namespace veltrop::testing
