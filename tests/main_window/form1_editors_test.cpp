#include <QAccessible>
#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>

#include "form1_fixture.h"

namespace veltrop::testing {
namespace {

using Form1EditorsTest = Form1Test;

QRect lineRect(const QPlainTextEdit& memo, int block) {
    QTextCursor cursor(memo.document()->findBlockByNumber(block));
    return memo.cursorRect(cursor);
}

// The memo shows this line whole and nothing of the lines above and below it.
void expectOneLineShown(const QPlainTextEdit& memo, int block) {
    const int height = memo.viewport()->height();
    const QRect shown = lineRect(memo, block);
    EXPECT_GE(shown.top(), 0) << block;
    EXPECT_LE(shown.bottom(), height) << block;
    if (block > 0) {
        EXPECT_LE(lineRect(memo, block - 1).bottom(), 0) << block;
    }
    if (block + 1 < memo.document()->blockCount()) {
        EXPECT_GE(lineRect(memo, block + 1).top(), height) << block;
    }
}

TEST_F(Form1EditorsTest, EditorsShowTheFirstRecordsFields) {
    createTable({{"Bank", "bank.example", "me", "secret", "first\nsecond"},
                 {"Mail", "mail.example", "you", "hidden", ""}});
    openWindow();
    EXPECT_EQ(form_->Table1().state(), TableState::Browse);
    EXPECT_EQ(form_->DBEdit1()->text(), "Bank");
    EXPECT_EQ(form_->DBEdit2()->text(), "bank.example");
    EXPECT_EQ(form_->DBEdit3()->text(), "me");
    EXPECT_EQ(form_->DBEdit4()->text(), "secret");
    EXPECT_EQ(form_->DBMemo1()->toPlainText(), "first\nsecond");
    EXPECT_EQ(form_->DBEdit1()->dataField(), "DESCRIPTION");
    EXPECT_EQ(form_->DBEdit2()->dataField(), "URL");
    EXPECT_EQ(form_->DBEdit3()->dataField(), "LOGIN ID");
    EXPECT_EQ(form_->DBEdit4()->dataField(), "PASSWORD");
    EXPECT_EQ(form_->DBMemo1()->dataField(), "NOTE");
    for (DBEdit* edit : {form_->DBEdit1(), form_->DBEdit2(), form_->DBEdit3(), form_->DBEdit4()}) {
        EXPECT_EQ(edit->dataSource(), &form_->DataSource1());
    }
    EXPECT_EQ(form_->DBMemo1()->dataSource(), &form_->DataSource1());
    // The password shows in clear text.
    EXPECT_EQ(form_->DBEdit4()->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(form_->DBEdit4()->displayText(), "secret");
}

TEST_F(Form1EditorsTest, EmptyTableShowsFiveEmptyEditors) {
    createTable();
    openWindow();
    EXPECT_EQ(form_->Table1().state(), TableState::Browse);
    EXPECT_TRUE(form_->Table1().isEmpty());
    for (DBEdit* edit : {form_->DBEdit1(), form_->DBEdit2(), form_->DBEdit3(), form_->DBEdit4()}) {
        EXPECT_TRUE(edit->text().isEmpty()) << edit->objectName().toStdString();
        EXPECT_TRUE(edit->isVisible());
    }
    EXPECT_TRUE(form_->DBMemo1()->toPlainText().isEmpty());
}

TEST_F(Form1EditorsTest, LongUrlShowsOnlyWhatFits) {
    const std::string url = "https://www.example.org/" + std::string(31, 'W');
    createTable({{"Long", url, "", "", ""}});
    openWindow();
    DBEdit& edit = *form_->DBEdit2();
    EXPECT_EQ(edit.text().toStdString(), url);
    // The editor keeps its place in the band instead of growing with its text.
    const int band = form_->CoolBar1()->bandOf(&edit);
    EXPECT_LT(edit.geometry().right(), form_->CoolBar1()->bandRect(band).right());
    EXPECT_EQ(edit.height(), 25);
    EXPECT_GT(edit.fontMetrics().horizontalAdvance(edit.text()), edit.width());
}

TEST_F(Form1EditorsTest, LongNoteShowsOneLineAndScrollsWithinIt) {
    QString note;
    for (int line = 1; line <= 12; ++line) {
        note += QString("line %1 of a long note\n").arg(line);
    }
    createTable({{"Note", "", "", "", note.toStdString()}});
    openWindow();
    DBMemo& memo = *form_->DBMemo1();
    EXPECT_EQ(memo.toPlainText(), note);
    EXPECT_EQ(memo.height(), 25);
    expectOneLineShown(memo, 0);
    EXPECT_FALSE(memo.verticalScrollBar()->isVisible());
    EXPECT_GT(memo.verticalScrollBar()->maximum(), 0);

    memo.moveCursor(QTextCursor::End);
    memo.ensureCursorVisible();
    EXPECT_GT(memo.verticalScrollBar()->value(), 0);
    expectOneLineShown(memo, memo.document()->blockCount() - 1);
    EXPECT_EQ(memo.height(), 25);
}

TEST_F(Form1EditorsTest, TabVisitsToolBarThenEditorsInKeyboardOrder) {
    createTable();
    openWindow();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    form_->ToolButtonLookUp()->setFocus(Qt::TabFocusReason);

    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int step = 0; step < 12; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(visited, (QStringList{"ToolButtonLookUp", "ToolButtonAdd", "ToolButtonSave",
                                    "ToolButtonDel", "ToolButtonInternet", "ToolButtonEmail",
                                    "ToolButtonMinimize", "ToolButtonExit", "DBEdit1", "DBEdit2",
                                    "DBEdit3", "DBEdit4", "DBMemo1"}));

    form_->DBEdit1()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form_->DBEdit1(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), form_->ToolButtonExit());
    // Moving through the editors changes nothing.
    EXPECT_EQ(form_->Table1().state(), TableState::Browse);
}

TEST_F(Form1EditorsTest, ClickingAButtonLeavesTheFocusInTheEditor) {
    createTable();
    openWindow();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    form_->DBEdit3()->setFocus();
    QTest::mouseClick(form_->ToolButtonSave(), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), form_->DBEdit3());
}

TEST_F(Form1EditorsTest, EditorsCarryTheirCaptionsForAssistiveTechnology) {
    createTable();
    openWindow();
    const std::pair<QWidget*, QString> editors[] = {
        {form_->DBEdit1(), "Description"}, {form_->DBEdit3(), "Login Id"},
        {form_->DBEdit4(), "Password"},    {form_->DBEdit2(), "URL"},
        {form_->DBMemo1(), "Notes"},
    };
    for (const auto& [editor, name] : editors) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(editor);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->text(QAccessible::Name), name);
    }
}

}  // namespace
}  // namespace veltrop::testing
