#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <stdexcept>

#include "application_environment.h"
#include "core/guard.h"
#include "engine/error.h"
#include "platform/form.h"
#include "store/errors.h"

namespace veltrop::testing {
namespace {

class ErrorReportingTest : public ::testing::Test {
protected:
    void SetUp() override { clearRecordedBoxes(); }
    void TearDown() override { clearRecordedBoxes(); }
};

TEST_F(ErrorReportingTest, AnErrorLeavingAHandlerIsShownCaptionedWithTheTitle) {
    guarded([] { throw DatabaseError("Table1", "Cannot modify a read-only dataset"); });
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_EQ(recordedBoxes()[0].caption, application().title());
    EXPECT_EQ(recordedBoxes()[0].text, "Table1: Cannot modify a read-only dataset.");
}

TEST_F(ErrorReportingTest, TheMessageKeepsAnEndingThatSortsBeforeTheFullStop) {
    guarded([] { throw DatabaseError("Table1", "Field 'URL' is read-only!"); });
    guarded([] { throw DatabaseError("Table1", "Nothing to save."); });
    guarded([] { throw std::runtime_error("Cannot open (see above)"); });
    guarded([] { throw std::runtime_error(""); });
    ASSERT_EQ(recordedBoxes().size(), 4u);
    EXPECT_EQ(recordedBoxes()[0].text, "Table1: Field 'URL' is read-only!");
    EXPECT_EQ(recordedBoxes()[1].text, "Table1: Nothing to save.");
    EXPECT_EQ(recordedBoxes()[2].text, "Cannot open (see above)");
    EXPECT_EQ(recordedBoxes()[3].text, "");
}

TEST_F(ErrorReportingTest, TheSilentAbortIsShownNowhere) {
    guarded([] { throw Abort(); });
    EXPECT_TRUE(recordedBoxes().empty());
}

TEST_F(ErrorReportingTest, AnErrorFromAQueuedHandlerIsReportedAndTheLoopGoesOn) {
    bool nextHandlerRan = false;
    QTimer::singleShot(0, [] { guarded([] { throw std::runtime_error("Disk full"); }); });
    QTimer::singleShot(0, [&] {
        nextHandlerRan = true;
        QApplication::exit(0);
    });
    QApplication::exec();
    EXPECT_TRUE(nextHandlerRan);
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_EQ(recordedBoxes()[0].text, "Disk full.");
}

TEST_F(ErrorReportingTest, WhileTheBoxIsUpTheOtherWindowsAreDisabledAndNoLongerOnTop) {
    Form mainWindow;
    mainWindow.setWindowFlag(Qt::WindowStaysOnTopHint);
    mainWindow.show();
    bool enabledInside = true;
    bool floatingInside = true;
    whileBoxShown([&] {
        enabledInside = mainWindow.isEnabled();
        floatingInside = mainWindow.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
    });
    guarded([] { throw DatabaseError("Table1", "Dataset not in edit or insert mode"); });
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_FALSE(enabledInside);
    EXPECT_FALSE(floatingInside);
    EXPECT_TRUE(mainWindow.isEnabled());
    EXPECT_TRUE(mainWindow.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

}  // namespace
}  // namespace veltrop::testing
