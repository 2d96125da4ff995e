// "Confirm": its frame and design scaled to the screen, and the result each way of
// answering gives.
#include "dialogs/confirm.h"

#include <QScreen>
#include <cmath>

#include "dialog_fixture.h"

namespace veltrop::testing {
namespace {

using ConfirmTest = DialogTest;

// A designed length at 120 dots per inch, on this screen.
int onScreen(int designed) {
    const double dpi = QApplication::primaryScreen()->logicalDotsPerInch();
    return static_cast<int>(std::lround(designed * dpi / 120));
}

TEST_F(ConfirmTest, IsAFixedDialogDesignedAt120DpiAndScaledToTheScreen) {
    TForm3 dialog;
    EXPECT_EQ(dialog.windowTitle(), "Confirm");
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(dialog.size(), QSize(onScreen(223), onScreen(74)));
    EXPECT_EQ(dialog.font().pixelSize(), onScreen(14));

    EXPECT_EQ(dialog.BitBtn1()->text(), "OK");
    EXPECT_EQ(dialog.BitBtn2()->text(), "Cancel");
    EXPECT_EQ(dialog.BitBtn1()->geometry(),
              QRect(onScreen(10), onScreen(20), onScreen(92), onScreen(30)));
    EXPECT_EQ(dialog.BitBtn2()->geometry(),
              QRect(onScreen(118), onScreen(20), onScreen(92), onScreen(30)));
    EXPECT_TRUE(dialog.BitBtn1()->isDefault());
    EXPECT_EQ(dialog.BitBtn1()->accessibleName(), "OK");
    EXPECT_EQ(dialog.BitBtn2()->accessibleName(), "Cancel");
    const QImage ok = dialog.BitBtn1()->icon().pixmap(16).toImage();
    const QImage cancel = dialog.BitBtn2()->icon().pixmap(16).toImage();
    EXPECT_FALSE(ok.isNull());
    EXPECT_FALSE(cancel.isNull());
    EXPECT_NE(ok, cancel);
}

TEST_F(ConfirmTest, EachWayOfAnsweringGivesItsResult) {
    TForm3 dialog;
    const auto focused = [] { return QApplication::focusWidget(); };
    const struct {
        const char* answer;
        std::function<void()> step;
        int result;
    } answers[] = {
        {"Enter on OK", [&] { QTest::keyClick(focused(), Qt::Key_Return); }, 1},
        {"keypad Enter on OK", [&] { QTest::keyClick(focused(), Qt::Key_Enter); }, 1},
        {"Space on OK", [&] { QTest::keyClick(focused(), Qt::Key_Space); }, 1},
        {"Escape on OK", [&] { QTest::keyClick(focused(), Qt::Key_Escape); }, 2},
        {"Tab, then Enter on Cancel",
         [&] {
             QTest::keyClick(focused(), Qt::Key_Tab);
             QTest::keyClick(focused(), Qt::Key_Return);
         },
         2},
        {"Tab, then Escape",
         [&] {
             QTest::keyClick(focused(), Qt::Key_Tab);
             QTest::keyClick(focused(), Qt::Key_Escape);
         },
         2},
        {"click on OK", [&] { QTest::mouseClick(dialog.BitBtn1(), Qt::LeftButton); }, 1},
        {"click on Cancel", [&] { QTest::mouseClick(dialog.BitBtn2(), Qt::LeftButton); }, 2},
        {"close box", [&] { dialog.close(); }, 2},
    };
    for (const auto& answer : answers) {
        SCOPED_TRACE(answer.answer);
        // The focus starts on OK each time the user has not moved it.
        dialog.BitBtn1()->setFocus();
        QWidget* focusAtStart = nullptr;
        EXPECT_EQ(whileModal(dialog,
                             [&] {
                                 focusAtStart = focused();
                                 answer.step();
                             }),
                  answer.result);
        EXPECT_EQ(focusAtStart, dialog.BitBtn1());
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST_F(ConfirmTest, KeepsTheLastQuestionUntilTheNextCallerReplacesIt) {
    TForm3 dialog;
    dialog.setWindowTitle("Save Changes?");
    EXPECT_EQ(whileModal(dialog, [&] { dialog.BitBtn2()->click(); }), 2);
    EXPECT_EQ(dialog.windowTitle(), "Save Changes?");
    QString shownCaption;
    EXPECT_EQ(whileModal(dialog,
                         [&] {
                             shownCaption = dialog.windowTitle();
                             dialog.BitBtn1()->click();
                         }),
              1);
    EXPECT_EQ(shownCaption, "Save Changes?");
    dialog.setWindowTitle("Delete Current Entry?");
    EXPECT_EQ(dialog.windowTitle(), "Delete Current Entry?");
}

}  // namespace
}  // namespace veltrop::testing
