// "Select": the window, its grid's rows and columns, every key and mouse action on
// the grid, and the refresh after the window has closed.
#include <QGroupBox>
#include <QKeySequence>
#include <QScrollBar>

#include "select_fixture.h"

namespace veltrop::testing {
namespace {

using SelectGridTest = SelectTest;

void showAndActivate(QWidget& window) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

TEST_F(SelectGridTest, WindowGridAndColumnsAreAsDesigned) {
    TForm2& form = openSelection(sites(20));
    EXPECT_EQ(form.windowTitle(), "Select");
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(form.minimumSize(), QSize(506, 129));
    EXPECT_EQ(form.maximumSize(), QSize(506, 129));
    EXPECT_EQ(form.font().pixelSize(), 11);
    EXPECT_EQ(form.GroupBox1().title(), "Select Record to View/Modify");
    EXPECT_EQ(form.GroupBox1().geometry(), QRect(0, 0, 505, 129));
    EXPECT_EQ(grid().parentWidget(), &form.GroupBox1());
    EXPECT_EQ(grid().geometry(), QRect(8, 16, 489, 105));

    EXPECT_EQ(grid().columnWidth(0), 30 * grid().fontMetrics().horizontalAdvance('0') + 4);
    EXPECT_EQ(grid().columnWidth(1), 360);
    EXPECT_EQ(grid().columnWidth(2), 0);
    EXPECT_EQ(grid().columnWidth(3), 0);

    showAndActivate(form);
    EXPECT_EQ(QApplication::focusWidget(), &grid());
    // Whole rows fill the grid above the horizontal scroll bar that its wide columns need.
    EXPECT_TRUE(grid().horizontalScrollBar()->isVisible());
    EXPECT_GE(grid().visibleRowCount(), 3);
    EXPECT_EQ(grid().model()->rowCount(), grid().visibleRowCount());
    EXPECT_LE(grid().model()->rowCount() * grid().rowPitch(), grid().viewport()->height());
    EXPECT_GT((grid().model()->rowCount() + 1) * grid().rowPitch(), grid().viewport()->height());

    // The login and password are the grid's fields 2 and 3 without ever being shown.
    EXPECT_EQ(grid().fieldText(0), "Site 0");
    EXPECT_EQ(grid().fieldText(1), "https://site0.example");
    EXPECT_EQ(grid().fieldText(2), "user0");
    EXPECT_EQ(grid().fieldText(3), "pw0");
    EXPECT_EQ(grid().accessibleName(), "Select Record to View/Modify");
}

TEST_F(SelectGridTest, KeysOnlyMoveTheCurrentRowAndNeverChangeTheTable) {
    constexpr int kRecords = 20;
    TForm2& form = openSelection(sites(kRecords));
    showAndActivate(form);
    const int shown = grid().visibleRowCount();
    const int last = kRecords - 1;
    const struct {
        QKeyCombination keys;
        int record;  // now current
        int row;     // where it is shown
    } steps[] = {
        {Qt::Key_Down, 1, 1},
        {Qt::Key_Right, 2, 2},
        {Qt::Key_Left, 1, 1},
        {Qt::Key_Up, 0, 0},
        {Qt::Key_Up, 0, 0},
        {Qt::Key_Left, 0, 0},
        {Qt::Key_PageDown, shown, shown - 1},
        {Qt::ControlModifier | Qt::Key_Up, 1, 0},
        {Qt::ControlModifier | Qt::Key_Down, shown, shown - 1},
        {Qt::ControlModifier | Qt::Key_PageUp, 1, 0},
        {Qt::ControlModifier | Qt::Key_PageDown, shown, shown - 1},
        {Qt::Key_PageUp, 0, 0},
        {Qt::Key_End, last, shown - 1},
        {Qt::Key_Down, last, shown - 1},
        {Qt::Key_Right, last, shown - 1},
        {Qt::Key_PageDown, last, shown - 1},
        {Qt::Key_PageUp, last - shown, 0},
        {Qt::Key_Home, 0, 0},
        {Qt::ControlModifier | Qt::Key_End, last, shown - 1},
        {Qt::ControlModifier | Qt::Key_Home, 0, 0},
        {Qt::Key_Down, 1, 1},
        // Read-only, without editing: none of these does anything.
        {Qt::Key_Insert, 1, 1},
        {Qt::ControlModifier | Qt::Key_Delete, 1, 1},
        {Qt::Key_Delete, 1, 1},
        {Qt::Key_F2, 1, 1},
        {Qt::Key_X, 1, 1},
        {Qt::Key_Backspace, 1, 1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(QKeySequence(step.keys).toString().toStdString());
        QTest::keyClick(QApplication::focusWidget(), step.keys.key(),
                        step.keys.keyboardModifiers());
        EXPECT_EQ(currentDescription(), site(step.record)[0]);
        EXPECT_EQ(grid().currentIndex().row(), step.row);
        EXPECT_EQ(grid().model()->rowCount(), shown);
    }
    EXPECT_EQ(QApplication::focusWidget(), &grid());
    EXPECT_EQ(form.Table1().state(), TableState::Browse);
    EXPECT_EQ(recordsInFile(credentials::kFileName), sites(kRecords));
}

TEST_F(SelectGridTest, EscapeLeavesTheWindowOpenAndOnlyTheCloseBoxEndsIt) {
    TForm2& form = openSelection(sites(3));
    EXPECT_EQ(whileModal(form,
                         [&] {
                             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                             EXPECT_TRUE(form.isVisible());
                             EXPECT_EQ(form.modalResult(), ModalResult::Running);
                             form.close();
                         }),
              ModalResult::Cancel);
}

TEST_F(SelectGridTest, MouseWheelAndScrollBarMoveTheCurrentRow) {
    constexpr int kRecords = 40;
    openSelection(sites(kRecords));
    showAndActivate(*form2_);
    const int shown = grid().visibleRowCount();

    clickRow(2);
    EXPECT_EQ(currentDescription(), "Site 2");
    QWheelEvent down(grid().viewport()->rect().center(), grid().viewport()->mapToGlobal(QPoint()),
                     {}, {0, -2 * 120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid().viewport(), &down);
    EXPECT_EQ(currentDescription(), "Site 4");

    QScrollBar& bar = *grid().verticalScrollBar();
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.maximum(), kRecords - 1);
    EXPECT_EQ(bar.value(), 4);
    bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(currentDescription(), site(4 + shown)[0]);
    EXPECT_EQ(bar.value(), 4 + shown);
    bar.triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(currentDescription(), site(kRecords - 1)[0]);
    bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
    // The row just above the shown ones.
    EXPECT_EQ(currentDescription(), site(kRecords - 1 - shown)[0]);
    EXPECT_EQ(grid().currentIndex().row(), 0);
    bar.triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(currentDescription(), "Site 0");

    // Dragging the thumb moves nothing until it is let go.
    bar.setSliderDown(true);
    bar.setSliderPosition(20);
    EXPECT_EQ(currentDescription(), "Site 0");
    bar.setSliderDown(false);
    EXPECT_EQ(currentDescription(), "Site 20");
    EXPECT_EQ(bar.value(), 20);
}

TEST_F(SelectGridTest, ClicksBelowTheLastRowAndKeysOnAnEmptyTableChangeNothing) {
    openSelection(sites(2));
    showAndActivate(*form2_);
    ASSERT_GT(grid().visibleRowCount(), 3);
    clickRow(1);
    clickRow(3);
    EXPECT_EQ(currentDescription(), "Site 1");
    EXPECT_EQ(grid().model()->rowCount(), 2);
    form2_.reset();

    TempFolder emptyFolder;
    openSelection({});
    showAndActivate(*form2_);
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_End, Qt::Key_PageUp, Qt::Key_Home}) {
        QTest::keyClick(&grid(), key);
    }
    clickRow(0);
    EXPECT_EQ(grid().model()->rowCount(), 0);
    EXPECT_EQ(grid().currentIndex().row(), -1);
    for (int field = 0; field < 4; ++field) {
        EXPECT_EQ(grid().fieldText(field), "");
    }
    EXPECT_EQ(grid().verticalScrollBar()->maximum(), 0);
}

TEST_F(SelectGridTest, ShowsTheTableAsLastReadUntilRefreshedAfterTheLoop) {
    TForm2& form = openSelection(sites(10));
    Table other("Table1", session_, credentials::kFileName, credentials::definition());
    other.open();
    const auto change = [&](int record, const char* description) {
        ASSERT_TRUE(other.Locate(
            credentials::kLocateKey,
            {QString::fromStdString(site(record)[0]), QString::fromStdString(site(record)[1]),
             QString::fromStdString(site(record)[2]), QString::fromStdString(site(record)[3])}));
        if (description) {
            other.Edit();
            other.field(0).setAsString(description);
            other.Post();
        } else {
            other.Delete();
        }
    };
    const auto findAndClose = [&] {
        std::string shownWhileOpen;
        whileModal(form, [&] {
            shownWhileOpen = currentDescription();
            form.close();
        });
        form.refreshAfterClose();
        return shownWhileOpen;
    };

    QTest::keyClick(&grid(), Qt::Key_Down);
    QTest::keyClick(&grid(), Qt::Key_Down);
    change(2, "Changed");
    EXPECT_EQ(currentDescription(), "Site 2");
    EXPECT_EQ(findAndClose(), "Site 2");
    EXPECT_EQ(currentDescription(), "Changed");
    EXPECT_EQ(grid().currentIndex().row(), 2);

    // The current record gone: the next one takes its place; at the end, the one before.
    other.Locate(credentials::kLocateKey, {"Changed", "https://site2.example", "user2", "pw2"});
    other.Delete();
    findAndClose();
    EXPECT_EQ(currentDescription(), "Site 3");
    EXPECT_EQ(grid().currentIndex().row(), 2);
    QTest::keyClick(&grid(), Qt::Key_End);
    change(9, nullptr);
    findAndClose();
    EXPECT_EQ(currentDescription(), "Site 8");

    // The cursor's own Refresh brings the grid along, as the caller may use it alone.
    for (int record : {0, 1, 3, 4, 5, 6, 7, 8}) {
        change(record, nullptr);
    }
    EXPECT_EQ(currentDescription(), "Site 8");
    form.Table1().Refresh();
    EXPECT_EQ(grid().model()->rowCount(), 0);
    EXPECT_EQ(currentDescription(), "");
}

}  // namespace
}  // namespace veltrop::testing
