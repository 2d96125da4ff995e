// What assistive technology reads of the windows through QAccessible: their roles
// and names, and the selection grid as a table of its shown rows.
#include <QAccessible>
#include <QTest>

#include "dialogs/confirm.h"
#include "dialogs/password_dialog.h"
#include "main_window/form1.h"
#include "select_fixture.h"

namespace veltrop::testing {
namespace {

class AccessibilityTest : public SelectTest {
protected:
    QAccessibleTableInterface* table() {
        QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(&this->grid());
        EXPECT_EQ(grid->role(), QAccessible::Table);
        return grid->tableInterface();
    }
    // The shown rows as a screen reader reads them: each row's cells, in order.
    QList<QStringList> rows() {
        QList<QStringList> read;
        for (int row = 0; row < table()->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < table()->columnCount(); ++column) {
                cells.append(table()->cellAt(row, column)->text(QAccessible::Name));
            }
            read.append(cells);
        }
        return read;
    }
    QString selectedRowText() {
        const QList<QAccessibleInterface*> cells = table()->selectedCells();
        return cells.isEmpty() ? QString() : cells.front()->text(QAccessible::Name);
    }

    // Every text of every node under the interface.
    static void collectTexts(QAccessibleInterface* node, QStringList& texts) {
        for (QAccessible::Text kind :
             {QAccessible::Name, QAccessible::Value, QAccessible::Description, QAccessible::Help}) {
            texts.append(node->text(kind));
        }
        for (int index = 0; index < node->childCount(); ++index) {
            collectTexts(node->child(index), texts);
        }
    }
};

TEST_F(AccessibilityTest, WindowsAreAFrameAndDialogsNamedByTheirCaptions) {
    TForm2& form2 = openSelection(sites(3));
    TForm1 form1(session_, Table::PasswordPrompt());
    TForm3 form3;
    PasswordDialog passwordDialog(session_);
    const struct {
        QWidget* window;
        QAccessible::Role role;
    } windows[] = {
        {&form1, QAccessible::Window},
        {&form2, QAccessible::Dialog},
        {&form3, QAccessible::Dialog},
        {&passwordDialog, QAccessible::Dialog},
    };
    for (const auto& window : windows) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(window.window);
        EXPECT_EQ(accessible->role(), window.role) << window.window->windowTitle().toStdString();
        EXPECT_EQ(accessible->text(QAccessible::Name), window.window->windowTitle());
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&form1)->text(QAccessible::Name), "Veltrop");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&form2)->text(QAccessible::Name), "Select");
}

TEST_F(AccessibilityTest, TheGridIsATableOfItsShownRowsWithTheCurrentRowSelected) {
    constexpr int kRecords = 20;
    TForm2& form = openSelection(sites(kRecords));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    const int shown = grid().model()->rowCount();
    ASSERT_LT(shown, kRecords);

    ASSERT_NE(table(), nullptr);
    EXPECT_EQ(table()->columnCount(), 2);
    EXPECT_EQ(table()->columnDescription(0), "DESCRIPTION");
    EXPECT_EQ(table()->columnDescription(1), "URL");
    EXPECT_EQ(table()->rowCount(), shown);
    QList<QStringList> expected;
    for (int row = 0; row < shown; ++row) {
        const Record record = site(row);
        expected.append({QString::fromStdString(record[0]), QString::fromStdString(record[1])});
    }
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(table()->selectedRows(), QList<int>{0});
    QAccessibleInterface* current = table()->cellAt(0, 0);
    EXPECT_TRUE(current->state().selected && current->state().focused);
    EXPECT_FALSE(table()->cellAt(1, 0)->state().selected);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&grid())->focusChild(), current);

    // The keys move the selection with the current row.
    const struct {
        int key;
        int selectedRow;
        QString text;
    } moves[] = {
        {Qt::Key_Down, 1, "Site 1"},
        {Qt::Key_End, shown - 1, QString("Site %1").arg(kRecords - 1)},
        {Qt::Key_Home, 0, "Site 0"},
    };
    for (const auto& move : moves) {
        QTest::keyClick(&grid(), static_cast<Qt::Key>(move.key));
        EXPECT_EQ(table()->selectedRows(), QList<int>{move.selectedRow});
        EXPECT_EQ(selectedRowText(), move.text);
        EXPECT_TRUE(table()->cellAt(move.selectedRow, 0)->state().focused);
    }
    QTest::keyClick(&grid(), Qt::Key_End);
    EXPECT_EQ(rows().back(), QStringList({"Site 19", "https://site19.example"}));
}

TEST_F(AccessibilityTest, NoLoginOrPasswordAnywhereInTheAccessibleTree) {
    TForm2& form = openSelection(sites(5));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QStringList texts;
    collectTexts(QAccessible::queryAccessibleInterface(&form), texts);
    ASSERT_TRUE(texts.contains("Site 4")) << "the rows were not read";
    for (int index = 0; index < 5; ++index) {
        const Record record = site(index);
        for (const std::string& secret : {record[2], record[3]}) {
            EXPECT_FALSE(texts.join('\n').contains(QString::fromStdString(secret))) << secret;
        }
    }
}

}  // namespace
}  // namespace veltrop::testing
