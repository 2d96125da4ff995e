#include <QWindow>

#include "platform/modal_loop.h"
#include "platform/modal_scope.h"
#include "platform_fixture.h"

namespace veltrop::testing {
namespace {

bool floats(Form& form) {
    return form.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
}

class TopMostTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        mainWindow_.setWindowFlag(Qt::WindowStaysOnTopHint);
        mainWindow_.show();
        selection_.setWindowFlag(Qt::WindowStaysOnTopHint);
        ASSERT_TRUE(floats(mainWindow_));
    }

    Form mainWindow_;
    Form selection_;
    Form confirmation_;
};

TEST_F(TopMostTest, AModalLoopLowersTheTopMostWindowsAndRaisesThemAfterwards) {
    QWindow* const handle = mainWindow_.windowHandle();
    bool loweredInside = false;
    later(0, [&] {
        loweredInside = !floats(mainWindow_) && mainWindow_.isVisible();
        confirmation_.setModalResult(1);
    });
    showModal(confirmation_);
    EXPECT_TRUE(loweredInside);
    EXPECT_TRUE(floats(mainWindow_));
    // Changed in place: the window was never re-created or hidden.
    EXPECT_EQ(mainWindow_.windowHandle(), handle);
    EXPECT_TRUE(mainWindow_.isVisible());
    EXPECT_TRUE(mainWindow_.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(TopMostTest, ATopMostWindowShownModallyIsLoweredForTheQuestionsAboveIt) {
    std::vector<std::string> seen;
    later(0, [&] {
        seen.push_back("selection lowered: " + std::to_string(!floats(selection_)));
        later(0, [&] {
            seen.push_back("inner: main lowered " + std::to_string(!floats(mainWindow_)) +
                           ", selection lowered " + std::to_string(!floats(selection_)));
            confirmation_.setModalResult(1);
        });
        showModal(confirmation_);
        seen.push_back("after inner: main lowered " + std::to_string(!floats(mainWindow_)));
        selection_.setModalResult(8);
    });
    showModal(selection_);
    EXPECT_EQ(seen, (std::vector<std::string>{"selection lowered: 1",
                                              "inner: main lowered 1, selection lowered 1",
                                              "after inner: main lowered 1"}));
    EXPECT_TRUE(floats(mainWindow_));
    EXPECT_TRUE(floats(selection_));
}

TEST_F(TopMostTest, AModalScopeAloneLowersAndRestoresAsForAMessageBox) {
    {
        ModalScope scope;
        EXPECT_FALSE(floats(mainWindow_));
        EXPECT_FALSE(mainWindow_.isEnabled());
    }
    EXPECT_TRUE(floats(mainWindow_));
    EXPECT_TRUE(mainWindow_.isEnabled());
}

TEST_F(TopMostTest, AWindowThatNeverFloatedIsNotMadeTopMost) {
    confirmation_.show();
    { ModalScope scope; }
    EXPECT_FALSE(floats(confirmation_));
}

}  // namespace
}  // namespace veltrop::testing
