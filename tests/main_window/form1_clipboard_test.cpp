#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>

#include "commands_fixture.h"
#include "platform/secret_clipboard.h"

namespace veltrop::testing {
namespace {

const std::vector<Record> kRecords = {
    {"Bank", "bank.example", "anna", "pin-1234", "first"},
    {"Mail", "mail.example", "anna.k", "secret", "two"},
};

QClipboard& clipboard() {
    return *QGuiApplication::clipboard();
}

// One item of each submenu and the editor and field it acts on.
struct Target {
    const char* copyItem;
    const char* pasteItem;
    DBEdit* (TForm1::*editor)() const;
    int field;
    int limit;
};
const Target kTargets[] = {
    {"PopUpCopyURL", "PopUpPasteURL", &TForm1::DBEdit2, 1, 55},
    {"PopUpCopyLoginId", "PopUpPasteLoginId", &TForm1::DBEdit3, 2, 20},
    {"PoUpCopyPassword", "PopUpPastePassword", &TForm1::DBEdit4, 3, 20},
};

class Form1ClipboardTest : public CommandsTest {
protected:
    void choose(const char* item) {
        QAction* action = form1().PopupMenu()->findChild<QAction*>(item);
        ASSERT_NE(action, nullptr) << item;
        action->trigger();
    }
    DBEdit* editor(const Target& target) { return (form1().*target.editor)(); }

    // Right-clicks the widget where the user would and tells which menu came up.
    QWidget* menuOpenedBy(QWidget* widget, QPoint at) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
        QCoreApplication::sendEvent(widget, &event);
        QWidget* popup = QApplication::activePopupWidget();
        if (popup) {
            popup->close();
        }
        return popup;
    }
};

TEST_F(Form1ClipboardTest, MenuHasTheCopyAndPasteSubmenusWithCaptionsAndImages) {
    openWindows(kRecords);
    const QList<QPixmap>& images = form1().ToolBarImageList();
    const auto sameImage = [&](const QAction* action, int index) {
        return action->icon().pixmap(16, 16).toImage() == images.at(index).toImage();
    };
    const QList<QAction*> top = form1().PopupMenu()->actions();
    ASSERT_EQ(top.size(), 2);
    const struct {
        QString caption;
        int image;
    } submenus[] = {{"Copy", 6}, {"Paste", 7}};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(top[i]->text(), submenus[i].caption);
        EXPECT_TRUE(sameImage(top[i], submenus[i].image)) << i;
        ASSERT_NE(top[i]->menu(), nullptr);
        const QList<QAction*> items = top[i]->menu()->actions();
        ASSERT_EQ(items.size(), 3);
        const QStringList captions = {"URL", "Login Id", "Password"};
        for (int item = 0; item < 3; ++item) {
            EXPECT_EQ(items[item]->text(), captions[item]);
            EXPECT_TRUE(sameImage(items[item], 8 + item)) << item;
            EXPECT_FALSE(items[item]->isChecked());
        }
    }
    EXPECT_EQ(top[0]->menu()->actions()[2]->objectName(), "PoUpCopyPassword");
}

TEST_F(Form1ClipboardTest, RightClickOnTheBarOpensTheMenuAndInsideAnEditorTheEditMenu) {
    openWindows(kRecords);
    BandBar& bar = *form1().CoolBar1();
    QMenu* menu = form1().PopupMenu();
    const int passwordBand = bar.bandOf(form1().DBEdit4());
    EXPECT_EQ(menuOpenedBy(&bar, bar.headerRect(passwordBand).center()), menu);
    EXPECT_EQ(menuOpenedBy(form1().ToolBar1(), QPoint(1, 1)), menu);
    EXPECT_EQ(menuOpenedBy(form1().Label1(), QPoint(5, 5)), menu);
    EXPECT_EQ(menuOpenedBy(form1().ToolButtonSave(), QPoint(5, 5)), menu);
    for (QWidget* editor : {static_cast<QWidget*>(form1().DBEdit2()),
                            static_cast<QWidget*>(form1().DBMemo1()->viewport())}) {
        QWidget* opened = menuOpenedBy(editor, QPoint(5, 5));
        EXPECT_NE(opened, nullptr);
        EXPECT_NE(opened, menu);
    }
}

TEST_F(Form1ClipboardTest, CopyTakesWhatEachEditorShowsAsSecretTextAndLeavesTheTable) {
    openWindows(kRecords);
    type(form1().DBEdit1(), "x");  // editing, with unsaved typing in the editors below
    for (const Target& target : kTargets) {
        SCOPED_TRACE(target.copyItem);
        editor(target)->setText(editor(target)->text() + "+typed");
        choose(target.copyItem);
        EXPECT_EQ(clipboard().text().toStdString(), kRecords[0][target.field] + "+typed");
        EXPECT_EQ(clipboard().mimeData()->data(kPasswordManagerHint), "secret");
        EXPECT_EQ(currentRecord(table()), kRecords[0]);
    }
    EXPECT_EQ(table().state(), TableState::Edit);
}

TEST_F(Form1ClipboardTest, CopyInBrowseStateKeepsBrowseAndAnEmptyEditorEmptiesTheClipboard) {
    openWindows({{"Bank", "", "anna", "pin-1234", ""}});
    choose("PoUpCopyPassword");
    EXPECT_EQ(clipboard().text(), "pin-1234");
    choose("PopUpCopyURL");
    // The user asked for the URL: a stale password must not stand in for it.
    EXPECT_EQ(clipboard().text(), "");
    EXPECT_EQ(table().state(), TableState::Browse);
}

TEST_F(Form1ClipboardTest, PasteReplacesEachFieldUpToItsSizeAndSaveStoresIt) {
    openWindows(kRecords);
    const QString longText(100, QLatin1Char('w'));
    for (const Target& target : kTargets) {
        SCOPED_TRACE(target.pasteItem);
        clipboard().setText(longText);
        choose(target.pasteItem);
        EXPECT_EQ(editor(target)->text(), longText.left(target.limit));
        EXPECT_TRUE(editor(target)->modified());
        EXPECT_EQ(table().state(), TableState::Edit);
        // Not in the record until written back.
        EXPECT_EQ(currentRecord(table())[target.field], kRecords[0][target.field]);
    }
    answer({Answer::Ok});
    click(form1().ToolButtonSave());
    Record saved = kRecords[0];
    for (const Target& target : kTargets) {
        saved[target.field] = longText.left(target.limit).toStdString();
    }
    EXPECT_EQ(storedRecords()[0], saved);
}

TEST_F(Form1ClipboardTest, PasteOfAnEmptyClipboardLeavesTheEditorEmptyAndSaveStoresItEmpty) {
    openWindows(kRecords);
    clipboard().clear();
    choose("PopUpPasteLoginId");
    EXPECT_EQ(form1().DBEdit3()->text(), "");
    answer({Answer::Ok});
    click(form1().ToolButtonSave());
    EXPECT_EQ(storedRecords()[0][2], "");
    EXPECT_EQ(storedRecords()[1], kRecords[1]);
}

TEST_F(Form1ClipboardTest, PasteIntoAnEmptyTableStartsANewRecord) {
    openWindows();
    clipboard().setText("first.example");
    choose("PopUpPasteURL");
    EXPECT_EQ(table().state(), TableState::Insert);
    EXPECT_EQ(form1().DBEdit2()->text(), "first.example");
    answer({Answer::Ok});
    click(form1().ToolButtonSave());
    EXPECT_EQ(storedRecords(), (std::vector<Record>{{"", "first.example", "", "", ""}}));
}

TEST_F(Form1ClipboardTest, PasteWhileEditingKeepsTheOtherEditorsTyping) {
    openWindows(kRecords);
    type(form1().DBEdit1(), "!");
    clipboard().setText("new-pin");
    choose("PopUpPastePassword");
    EXPECT_EQ(form1().DBEdit1()->text(), "Bank!");
    EXPECT_EQ(form1().DBEdit4()->text(), "new-pin");
    answer({Answer::Ok});
    click(form1().ToolButtonSave());
    EXPECT_EQ(storedRecords()[0], (Record{"Bank!", "bank.example", "anna", "new-pin", "first"}));
}

TEST_F(Form1ClipboardTest, ClickingIntoThePastedEditorBeforeSavingReloadsTheStoredUrl) {
    openWindows(kRecords);
    form1().DBEdit1()->setFocus(Qt::MouseFocusReason);
    clipboard().setText("pasted.example");
    choose("PopUpPasteURL");
    EXPECT_EQ(form1().DBEdit2()->text(), "pasted.example");
    QTest::mouseClick(form1().DBEdit2(), Qt::LeftButton);
    EXPECT_EQ(form1().DBEdit2()->text(), "bank.example");
    EXPECT_EQ(table().state(), TableState::Edit);
    answer({Answer::Ok});
    click(form1().ToolButtonSave());
    EXPECT_EQ(storedRecords()[0], kRecords[0]);
}

}  // namespace
}  // namespace veltrop::testing
