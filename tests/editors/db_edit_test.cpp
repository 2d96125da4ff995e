// The single-line editors and the data source that binds them to Table1: what they
// show, which keys start editing, their limit in characters, Escape, focus changes,
// write-back, and the clipboard operations the main window's menu uses.
#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include "editor_fixture.h"
#include "engine/error.h"
#include "store/credential_table.h"
#include "store/errors.h"
#include "support/raw_database.h"

namespace veltrop::testing {
namespace {

constexpr const char* kLockedMessage = "Record locked by another user";

QString repeated(const QString& piece, int times) {
    return piece.repeated(times);
}

class DBEditTest : public EditorTest {};

TEST_F(DBEditTest, ShowsTheFirstRecordReadOnlyWithEachFieldsSizeAsItsLimit) {
    open();
    EXPECT_EQ(dbEdit1_->text(), "Mail");
    EXPECT_EQ(dbEdit2_->text(), "https://mail.example.org");
    EXPECT_EQ(dbEdit3_->text(), "anna");
    EXPECT_EQ(dbEdit4_->text(), "first-pass");
    EXPECT_EQ(dbEdit4_->echoMode(), QLineEdit::Normal);
    const int sizes[] = {30, 55, 20, 20};
    for (size_t i = 0; i < lineEditors_.size(); ++i) {
        EXPECT_EQ(lineEditors_[i]->inputLimit(), sizes[i]);
        EXPECT_TRUE(lineEditors_[i]->isReadOnly());
        EXPECT_FALSE(lineEditors_[i]->modified());
    }
    EXPECT_EQ(table_->state(), TableState::Browse);
}

TEST_F(DBEditTest, AClosedTableShowsEmptyReadOnlyEditorsThatIgnoreKeys) {
    open();
    table_->close();
    for (DBEdit* editor : lineEditors_) {
        EXPECT_EQ(editor->text(), "");
        EXPECT_TRUE(editor->isReadOnly());
        EXPECT_EQ(editor->field(), nullptr);
    }
    QTest::keyClicks(dbEdit1_, "abc");
    EXPECT_EQ(dbEdit1_->text(), "");
    EXPECT_TRUE(reportedErrors().empty());
}

TEST_F(DBEditTest, OneCharacterTypedInBrowseStartsEditingAndMakesEveryEditorWritable) {
    open();
    clickInto(dbEdit3_);
    QTest::keyClick(dbEdit3_, Qt::Key_End);
    QTest::keyClick(dbEdit3_, Qt::Key_X);
    EXPECT_EQ(table_->state(), TableState::Edit);
    EXPECT_EQ(dbEdit3_->text(), "annax");
    EXPECT_TRUE(dbEdit3_->modified());
    for (DBEdit* editor : lineEditors_) {
        EXPECT_FALSE(editor->isReadOnly());
    }
    EXPECT_FALSE(dbMemo1_->isReadOnly());
    // Typed, not yet in the record.
    EXPECT_EQ(fieldText(credentials::kLoginId), "anna");
    EXPECT_TRUE(reportedErrors().empty());
}

TEST_F(DBEditTest, TheFirstKeyLandsWhereTheCaretWas) {
    open();
    clickInto(dbEdit1_);
    QTest::keyClick(dbEdit1_, Qt::Key_Home);
    QTest::keyClick(dbEdit1_, Qt::Key_Right);
    QTest::keyClick(dbEdit1_, Qt::Key_X);
    EXPECT_EQ(dbEdit1_->text(), "Mxail");
}

TEST_F(DBEditTest, KeysThatOnlyMoveOrCopyLeaveTheTableInBrowse) {
    open();
    clickInto(dbEdit1_);
    for (const auto& [key, modifiers] : std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>>{
             {Qt::Key_Left, Qt::NoModifier},
             {Qt::Key_Home, Qt::ShiftModifier},
             {Qt::Key_C, Qt::ControlModifier},
             {Qt::Key_Insert, Qt::ControlModifier},
             {Qt::Key_A, Qt::ControlModifier},
             {Qt::Key_Return, Qt::NoModifier},
             {Qt::Key_F5, Qt::NoModifier}}) {
        QTest::keyClick(dbEdit1_, key, modifiers);
        EXPECT_EQ(table_->state(), TableState::Browse) << key;
    }
    EXPECT_EQ(dbEdit1_->text(), "Mail");
}

struct EditKey {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* name;
};

class DBEditKeyTest : public DBEditTest, public ::testing::WithParamInterface<EditKey> {};

TEST_P(DBEditKeyTest, StartsEditingAndThenActs) {
    open();
    setClipboardText("clip");
    clickInto(dbEdit3_);
    QTest::keyClick(dbEdit3_, Qt::Key_End);
    QTest::keyClick(dbEdit3_, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(dbEdit3_, GetParam().key, GetParam().modifiers);
    EXPECT_EQ(table_->state(), TableState::Edit);
    EXPECT_FALSE(dbEdit3_->isReadOnly());
}

INSTANTIATE_TEST_SUITE_P(Keys, DBEditKeyTest,
                         ::testing::Values(EditKey{Qt::Key_Backspace, Qt::NoModifier, "Backspace"},
                                           EditKey{Qt::Key_Delete, Qt::NoModifier, "Delete"},
                                           EditKey{Qt::Key_V, Qt::ControlModifier, "CtrlV"},
                                           EditKey{Qt::Key_X, Qt::ControlModifier, "CtrlX"},
                                           EditKey{Qt::Key_Insert, Qt::ShiftModifier,
                                                   "ShiftInsert"},
                                           EditKey{Qt::Key_Z, Qt::ControlModifier, "CtrlZ"},
                                           EditKey{Qt::Key_Space, Qt::NoModifier, "Space"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DBEditTest, TheKeysActOnTheTextOnceEditing) {
    open();
    setClipboardText("clip");
    clickInto(dbEdit3_);
    QTest::keyClick(dbEdit3_, Qt::Key_End);
    QTest::keyClick(dbEdit3_, Qt::Key_Backspace);
    EXPECT_EQ(dbEdit3_->text(), "ann");
    QTest::keyClick(dbEdit3_, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(dbEdit3_->text(), "annclip");
    QTest::keyClick(dbEdit3_, Qt::Key_Home);
    QTest::keyClick(dbEdit3_, Qt::Key_Delete);
    EXPECT_EQ(dbEdit3_->text(), "nnclip");
}

TEST_F(DBEditTest, NonLatinTypedTextStartsEditing) {
    open();
    clickInto(dbEdit1_);
    typeText(dbEdit1_, QString::fromUtf8("ж"));
    EXPECT_EQ(table_->state(), TableState::Edit);
    EXPECT_EQ(dbEdit1_->text(), QString::fromUtf8("Mailж"));
}

TEST_F(DBEditTest, AnInputMethodCommitStartsEditing) {
    open();
    clickInto(dbEdit1_);
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("日本"));
    QApplication::sendEvent(dbEdit1_, &commit);
    EXPECT_EQ(table_->state(), TableState::Edit);
    EXPECT_EQ(dbEdit1_->text(), QString::fromUtf8("Mail日本"));
}

TEST_F(DBEditTest, AnInputMethodCommitIsCutToTheLimitToo) {
    open();
    clickInto(dbEdit4_);
    dbEdit4_->selectAll();
    QTest::keyClicks(dbEdit4_, "123456789012345678");
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("日本語"));
    QApplication::sendEvent(dbEdit4_, &commit);
    EXPECT_EQ(dbEdit4_->text(), QString::fromUtf8("123456789012345678日本"));
}

TEST_F(DBEditTest, TypingIntoAnEmptyTableStartsANewRecordWithoutAQuestion) {
    open({});
    EXPECT_EQ(dbEdit1_->text(), "");
    clickInto(dbEdit1_);
    QTest::keyClicks(dbEdit1_, "New");
    EXPECT_EQ(table_->state(), TableState::Insert);
    EXPECT_EQ(dbEdit1_->text(), "New");
    EXPECT_TRUE(reportedErrors().empty());
    table_->Post();
    EXPECT_EQ(storedRecords(), (std::vector<Record>{{"New", "", "", "", ""}}));
}

TEST_F(DBEditTest, ATwentyFirstCharacterIsRefused) {
    open();
    clickInto(dbEdit4_);
    QTest::keyClick(dbEdit4_, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(dbEdit4_, Qt::Key_Delete);
    QTest::keyClicks(dbEdit4_, "abcdefghijklmnopqrst");
    EXPECT_EQ(dbEdit4_->text(), "abcdefghijklmnopqrst");
    QTest::keyClick(dbEdit4_, Qt::Key_U);
    EXPECT_EQ(dbEdit4_->text(), "abcdefghijklmnopqrst");
    // In the middle as well.
    QTest::keyClick(dbEdit4_, Qt::Key_Home);
    QTest::keyClick(dbEdit4_, Qt::Key_U);
    EXPECT_EQ(dbEdit4_->text(), "abcdefghijklmnopqrst");
    table_->Post();
    EXPECT_EQ(storedRecords()[0][3], "abcdefghijklmnopqrst");
}

TEST_F(DBEditTest, TheLimitCountsCharactersNotUtf16Units) {
    open();
    clickInto(dbEdit4_);
    dbEdit4_->selectAll();
    const QString emoji = QString::fromUtf8("😀");
    typeText(dbEdit4_, repeated(emoji, 20));
    EXPECT_EQ(dbEdit4_->text(), repeated(emoji, 20));
    typeText(dbEdit4_, emoji + "x");
    EXPECT_EQ(dbEdit4_->text(), repeated(emoji, 20));
    table_->Post();
    EXPECT_EQ(QString::fromStdString(storedRecords()[0][3]), repeated(emoji, 20));
}

TEST_F(DBEditTest, APasteGetsInOnlyAsFarAsItFits) {
    open();
    setClipboardText("0123456789ABCDEFGHIJKLMNOP");
    clickInto(dbEdit3_);
    QTest::keyClick(dbEdit3_, Qt::Key_Home);
    QTest::keyClick(dbEdit3_, Qt::Key_Right);
    QTest::keyClick(dbEdit3_, Qt::Key_Right);
    QTest::keyClick(dbEdit3_, Qt::Key_V, Qt::ControlModifier);
    // "anna" leaves room for 16: the pasted text is cut, the text around it kept.
    EXPECT_EQ(dbEdit3_->text(), "an0123456789ABCDEFna");
    EXPECT_EQ(dbEdit3_->cursorPosition(), 18);
    // A selection gives its room to the paste.
    dbEdit3_->selectAll();
    dbEdit3_->pasteFromClipboard();
    EXPECT_EQ(dbEdit3_->text(), "0123456789ABCDEFGHIJ");
    // A character outside the BMP that does not fit whole does not get in half.
    dbEdit3_->setSelection(0, 2);
    setClipboardText(QString::fromUtf8("é😀😀"));
    dbEdit3_->pasteFromClipboard();
    EXPECT_EQ(dbEdit3_->text(), QString::fromUtf8("é😀23456789ABCDEFGHIJ"));
    table_->Post();
    EXPECT_EQ(storedRecords()[0][2], "é😀23456789ABCDEFGHIJ");
}

TEST_F(DBEditTest, HalvesOfAPairAtTheEdgesOfAPasteNeverLetItPastTheLimit) {
    open();
    const QString full = QString(19, 'x') + QChar(0xDC00);
    setClipboardText(full);
    clickInto(dbEdit3_);
    dbEdit3_->selectAll();
    QTest::keyClick(dbEdit3_, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(dbEdit3_->text(), full);
    // The paste's lone high half pairs up with the lone low one only while it is whole.
    dbEdit3_->setCursorPosition(19);
    setClipboardText(QString("c") + QChar(0xD83D));
    dbEdit3_->pasteFromClipboard();
    EXPECT_EQ(dbEdit3_->text(), full);
}

TEST_F(DBEditTest, AnOverlongStoredValueShowsWholeAndIsCutWhenWrittenBack) {
    open();
    {
        RawDatabase raw(credentials::kFileName);
        raw.exec("UPDATE records SET \"PASSWORD\" = '0123456789012345678901234' WHERE recno = 1");
    }
    table_->Refresh();
    EXPECT_EQ(dbEdit4_->text(), "0123456789012345678901234");
    clickInto(dbEdit4_);
    QTest::keyClick(dbEdit4_, Qt::Key_End);
    QTest::keyClick(dbEdit4_, Qt::Key_X);
    EXPECT_EQ(table_->state(), TableState::Edit);
    EXPECT_EQ(dbEdit4_->text(), "0123456789012345678901234");
    QTest::keyClick(dbEdit4_, Qt::Key_Backspace);
    clickInto(dbEdit1_);
    EXPECT_EQ(fieldText(credentials::kPassword), "01234567890123456789");
    EXPECT_EQ(dbEdit4_->text(), "01234567890123456789");
}

TEST_F(DBEditTest, EscapeRestoresTheStoredValueSelectsItAndKeepsTheTableEditing) {
    open();
    clickInto(dbEdit3_);
    QTest::keyClicks(dbEdit3_, "zz");
    clickInto(dbEdit1_);
    QTest::keyClick(dbEdit1_, Qt::Key_End);
    QTest::keyClicks(dbEdit1_, " box");
    EXPECT_EQ(dbEdit1_->text(), "Mail box");
    QTest::keyClick(dbEdit1_, Qt::Key_Escape);
    EXPECT_EQ(dbEdit1_->text(), "Mail");
    EXPECT_EQ(dbEdit1_->selectedText(), "Mail");
    EXPECT_FALSE(dbEdit1_->modified());
    EXPECT_EQ(table_->state(), TableState::Edit);
    // The key is consumed; the other editor's change, written back on leaving, stays.
    EXPECT_TRUE(window_.keysReceived.empty());
    EXPECT_EQ(fieldText(credentials::kLoginId), "annazz");
    table_->Post();
    EXPECT_EQ(storedRecords()[0],
              (Record{"Mail", "https://mail.example.org", "annazz", "first-pass", "two\nlines"}));
}

TEST_F(DBEditTest, LeavingAnEditorWritesItsTextIntoTheRecordAndReloadsIt) {
    open();
    clickInto(dbEdit1_);
    QTest::keyClick(dbEdit1_, Qt::Key_End);
    QTest::keyClicks(dbEdit1_, "er");
    EXPECT_EQ(fieldText(credentials::kDescription), "Mail");
    clickInto(dbEdit2_);
    EXPECT_EQ(fieldText(credentials::kDescription), "Mailer");
    EXPECT_TRUE(table_->modified());
    EXPECT_FALSE(dbEdit1_->modified());
    EXPECT_EQ(dbEdit1_->text(), "Mailer");
}

TEST_F(DBEditTest, AFailedWriteBackOnLeavingIsShownAndKeepsTheFocus) {
    open();
    clickInto(dbEdit1_);
    // Text put in by the program while the table is not being edited.
    dbEdit1_->setText("Changed");
    clickInto(dbEdit2_);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dbEdit1_->hasFocus(); }, 5000));
    EXPECT_EQ(reportedErrors(),
              std::vector<std::string>{"Table1: Dataset not in edit or insert mode"});
    EXPECT_EQ(dbEdit1_->text(), "Changed");
    EXPECT_EQ(dbEdit1_->selectedText(), "Changed");
}

TEST_F(DBEditTest, ClickingIntoAnEditorFilledWhileUnfocusedShowsTheStoredValue) {
    open();
    clickInto(dbEdit1_);
    // The main window's Paste URL: Edit, Clear, Paste into the unfocused URL editor.
    setClipboardText("https://pasted.example.org");
    table_->Edit();
    dbEdit2_->clear();
    dbEdit2_->pasteFromClipboard();
    EXPECT_EQ(dbEdit2_->text(), "https://pasted.example.org");
    EXPECT_TRUE(dbEdit2_->modified());
    clickInto(dbEdit2_);
    EXPECT_EQ(dbEdit2_->text(), "https://mail.example.org");
    EXPECT_FALSE(dbEdit2_->modified());
    table_->Post();
    EXPECT_EQ(storedRecords()[0][1], "https://mail.example.org");
}

TEST_F(DBEditTest, SavingWritesTheTypedTextOfEveryEditorFocusedOrNot) {
    open();
    const char* typed[] = {"D", "U", "L", "P"};
    for (size_t i = 0; i < lineEditors_.size(); ++i) {
        clickInto(lineEditors_[i]);
        QTest::keyClick(lineEditors_[i], Qt::Key_End);
        QTest::keyClicks(lineEditors_[i], typed[i]);
    }
    // The password editor still has the focus and its text is not in the record yet.
    EXPECT_EQ(fieldText(credentials::kPassword), "first-pass");
    table_->Post();
    EXPECT_EQ(table_->state(), TableState::Browse);
    EXPECT_EQ(storedRecords()[0],
              (Record{"MailD", "https://mail.example.orgU", "annaL", "first-passP", "two\nlines"}));
    for (DBEdit* editor : lineEditors_) {
        EXPECT_TRUE(editor->isReadOnly());
        EXPECT_FALSE(editor->modified());
    }
}

TEST_F(DBEditTest, CancelShowsTheStoredValuesAgain) {
    open();
    clickInto(dbEdit4_);
    QTest::keyClicks(dbEdit4_, "xyz");
    table_->Cancel();
    EXPECT_EQ(dbEdit4_->text(), "first-pass");
    EXPECT_TRUE(dbEdit4_->isReadOnly());
    EXPECT_FALSE(dbEdit4_->modified());
}

TEST_F(DBEditTest, CopyingCopiesWhatIsShownIncludingUnsavedTyping) {
    open();
    clickInto(dbEdit4_);
    QTest::keyClick(dbEdit4_, Qt::Key_End);
    QTest::keyClicks(dbEdit4_, "!");
    dbEdit4_->selectAll();
    dbEdit4_->copyToClipboard();
    EXPECT_EQ(clipboardText(), "first-pass!");
    EXPECT_EQ(table_->state(), TableState::Edit);
    EXPECT_EQ(fieldText(credentials::kPassword), "first-pass");
    // Copying in browse state leaves the table alone.
    table_->Cancel();
    dbEdit2_->selectAll();
    dbEdit2_->copyToClipboard();
    EXPECT_EQ(clipboardText(), "https://mail.example.org");
    EXPECT_EQ(table_->state(), TableState::Browse);
}

TEST_F(DBEditTest, ClearIsAChangeOnlyWhenThereWasText) {
    open({{"Mail", "", "anna", "pw", ""}});
    table_->Edit();
    dbEdit2_->clear();
    EXPECT_FALSE(dbEdit2_->modified());
    dbEdit3_->clear();
    EXPECT_TRUE(dbEdit3_->modified());
    table_->Post();
    EXPECT_EQ(storedRecords()[0], (Record{"Mail", "", "", "pw", ""}));
}

TEST_F(DBEditTest, PasteAsksForEditingAndAnEmptyClipboardPastesNothing) {
    open();
    setClipboardText("");
    dbEdit3_->selectAll();
    dbEdit3_->pasteFromClipboard();
    EXPECT_EQ(table_->state(), TableState::Edit);
    EXPECT_EQ(dbEdit3_->text(), "anna");
    EXPECT_FALSE(dbEdit3_->modified());
    // As the menu does it: clear, then paste nothing; saving stores the field empty.
    dbEdit3_->clear();
    dbEdit3_->pasteFromClipboard();
    table_->Post();
    EXPECT_EQ(storedRecords()[0][2], "");
}

TEST_F(DBEditTest, OnAReadOnlyTableKeysAndPastesDoNothingAndSayNothing) {
    openReadOnly();
    setClipboardText("clip");
    for (DBEdit* editor : lineEditors_) {
        const QString shown = editor->text();
        clickInto(editor);
        QTest::keyClicks(editor, "abc");
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        editor->pasteFromClipboard();
        EXPECT_EQ(editor->text(), shown);
        EXPECT_TRUE(editor->isReadOnly());
        EXPECT_FALSE(editor->modified());
    }
    EXPECT_EQ(table_->state(), TableState::Browse);
    EXPECT_TRUE(reportedErrors().empty());
}

TEST_F(DBEditTest, ARecordLockedByAnotherCursorIsReportedAndTheKeyIsLost) {
    open();
    Table other("Other", session_, credentials::kFileName, credentials::definition());
    other.open();
    other.Edit();
    clickInto(dbEdit3_);
    QTest::keyClick(dbEdit3_, Qt::Key_X);
    ASSERT_EQ(reportedErrors().size(), 1u);
    EXPECT_EQ(reportedErrors()[0].rfind(kLockedMessage, 0), 0u) << reportedErrors()[0];
    EXPECT_EQ(table_->state(), TableState::Browse);
    EXPECT_EQ(dbEdit3_->text(), "anna");
    EXPECT_TRUE(dbEdit3_->isReadOnly());
    EXPECT_FALSE(dbEdit3_->modified());
    // Once the other cursor lets go, typing works.
    other.Cancel();
    QTest::keyClick(dbEdit3_, Qt::Key_X);
    EXPECT_EQ(table_->state(), TableState::Edit);
}

TEST_F(DBEditTest, OddUnicodeIsTypedStoredAndReloadedUnchanged) {
    open();
    const QString texts[] = {
        QString::fromUtf8("e\u0301te\u0301 n\u0303"),  // combining marks
        QString::fromUtf8("👩\u200d💻🇩🇪😀"),              // emoji sequences
        QString::fromUtf8("\u05e9\u05dc\u05d5\u05dd \u0645\u0631\u062d\u0628\u0627"),  // RTL
        QString::fromUtf8("\u200f\u202bx\u202c"),  // direction marks
    };
    for (size_t i = 0; i < lineEditors_.size(); ++i) {
        clickInto(lineEditors_[i]);
        lineEditors_[i]->selectAll();
        typeText(lineEditors_[i], texts[i]);
        EXPECT_EQ(lineEditors_[i]->text(), texts[i]);
    }
    table_->Post();
    const Record stored = storedRecords()[0];
    for (size_t i = 0; i < lineEditors_.size(); ++i) {
        EXPECT_EQ(stored[i], texts[i].toStdString());
    }
    table_->close();
    table_->open();
    for (size_t i = 0; i < lineEditors_.size(); ++i) {
        EXPECT_EQ(lineEditors_[i]->text(), texts[i]);
    }
}

TEST_F(DBEditTest, MerelyShowingAValueNeverChangesWhatIsStored) {
    open();
    {
        RawDatabase raw(credentials::kFileName);
        raw.exec(
            "UPDATE records SET \"URL\" = CAST(X'68747470FF3A2F2F' AS TEXT), "
            "\"LOGIN ID\" = 'abcdefghijklmnopqrstuvwxyz', "
            "\"NOTE\" = CAST(X'610D0A62C0' AS TEXT) WHERE recno = 1");
    }
    const auto before =
        RawDatabase(credentials::kFileName)
            .row("SELECT \"URL\", \"LOGIN ID\", \"NOTE\" FROM records WHERE recno = 1");
    table_->Refresh();
    // Focus in and out of every editor, Escape, and typing that is taken back.
    for (DBEdit* editor : lineEditors_) {
        clickInto(editor);
        QTest::keyClick(editor, Qt::Key_Escape);
    }
    clickInto(dbMemo1_);
    clickInto(dbEdit2_);
    QTest::keyClick(dbEdit2_, Qt::Key_End);
    QTest::keyClick(dbEdit2_, Qt::Key_X);
    QTest::keyClick(dbEdit2_, Qt::Key_Backspace);
    EXPECT_EQ(table_->state(), TableState::Edit);
    clickInto(dbEdit1_);
    QTest::keyClicks(dbEdit1_, "!");
    table_->Post();
    const auto after =
        RawDatabase(credentials::kFileName)
            .row("SELECT \"URL\", \"LOGIN ID\", \"NOTE\" FROM records WHERE recno = 1");
    EXPECT_EQ(after, before);
    EXPECT_EQ(storedRecords()[0][0], "Mail!");
}

TEST_F(DBEditTest, EditorsOutliveTheirDataSourceAndTheOtherWayRound) {
    open();
    delete dbEdit3_;
    lineEditors_.erase(lineEditors_.begin() + 2);
    table_->Edit();
    table_->Cancel();
    delete dataSource_;
    EXPECT_EQ(dbEdit1_->dataSource(), nullptr);
    EXPECT_TRUE(dbEdit1_->isReadOnly());
    QTest::keyClicks(dbEdit1_, "x");
    EXPECT_EQ(table_->state(), TableState::Browse);
    table_->Edit();
    EXPECT_TRUE(dbEdit1_->isReadOnly());
}

TEST_F(DBEditTest, BindingToAnOpenTableLoadsAtOnce) {
    open();
    DBEdit late(&window_);
    late.setDataSource(dataSource_);
    EXPECT_EQ(late.text(), "");
    late.setDataField(credentials::kUrl);
    EXPECT_EQ(late.text(), "https://mail.example.org");
    EXPECT_EQ(late.inputLimit(), 55);
    late.setDataField("NO SUCH FIELD");
    EXPECT_EQ(late.field(), nullptr);
    EXPECT_EQ(late.text(), "");
}

}  // namespace
}  // namespace veltrop::testing
