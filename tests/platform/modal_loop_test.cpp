#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include "platform/invalid_operation.h"
#include "platform/modal_loop.h"
#include "platform_fixture.h"

namespace veltrop::testing {
namespace {

using ModalLoopTest = PlatformTest;

TEST_F(ModalLoopTest, ReturnsTheResultThatEndsTheLoopAndHidesTheWindow) {
    for (const int result : {1, 2, 8}) {
        Form dialog;
        bool shownWhileRunning = false;
        later(0, [&] {
            shownWhileRunning = dialog.isVisible() && dialog.showingModal();
            dialog.setModalResult(result);
        });
        EXPECT_EQ(showModal(dialog), result);
        EXPECT_TRUE(shownWhileRunning);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_FALSE(dialog.showingModal());
    }
}

TEST_F(ModalLoopTest, AResultLeftFromBeforeDoesNotEndTheNextLoop) {
    Form dialog;
    dialog.setModalResult(1);
    bool stillRunning = false;
    later(20, [&] {
        stillRunning = dialog.showingModal();
        dialog.setModalResult(3);
    });
    EXPECT_EQ(showModal(dialog), 3);
    EXPECT_TRUE(stillRunning);
}

TEST_F(ModalLoopTest, CloseEndsTheLoopWithCancelEvenWhileTheWindowIsHidden) {
    Form dialog;
    later(0, [&] { dialog.close(); });
    EXPECT_EQ(showModal(dialog), 2);

    later(0, [&] {
        dialog.hide();
        dialog.close();
    });
    EXPECT_EQ(showModal(dialog), 2);
}

TEST_F(ModalLoopTest, ResettingTheResultToZeroKeepsTheLoopRunning) {
    Form dialog;
    bool stillRunning = false;
    later(0, [&] {
        dialog.setModalResult(1);
        dialog.setModalResult(0);
    });
    later(30, [&] {
        stillRunning = dialog.showingModal();
        dialog.setModalResult(2);
    });
    EXPECT_EQ(showModal(dialog), 2);
    EXPECT_TRUE(stillRunning);
}

TEST_F(ModalLoopTest, RefusesAVisibleDisabledOrAlreadyModalWindow) {
    auto expectRefusal = [](Form& form) {
        try {
            showModal(form);
            ADD_FAILURE() << "showModal accepted the window";
        } catch (const InvalidOperation& refusal) {
            EXPECT_EQ(refusal.message(), "Cannot make a visible window modal");
            EXPECT_STREQ(refusal.kindName(), "EInvalidOperation");
        }
    };

    Form visible;
    visible.show();
    expectRefusal(visible);
    EXPECT_TRUE(visible.isVisible());

    Form disabled;
    disabled.setEnabled(false);
    expectRefusal(disabled);
    EXPECT_FALSE(disabled.isVisible());

    // Hidden while its loop runs, so only "already modal" can refuse it.
    Form dialog;
    bool refusedInside = false;
    later(0, [&] {
        dialog.hide();
        expectRefusal(dialog);
        refusedInside = true;
        dialog.setModalResult(1);
    });
    EXPECT_EQ(showModal(dialog), 1);
    EXPECT_TRUE(refusedInside);
}

TEST_F(ModalLoopTest, DisablesExactlyTheVisibleEnabledFormsAndReenablesExactlyThose) {
    Form visibleEnabled;
    visibleEnabled.show();
    Form visibleDisabled;
    visibleDisabled.setEnabled(false);
    visibleDisabled.show();
    Form hiddenEnabled;
    Form dialog;
    // A window that is no form, such as Qt's window for the notification-area icon.
    QWidget iconWindow;
    iconWindow.show();

    bool checked = false;
    later(0, [&] {
        EXPECT_FALSE(visibleEnabled.isEnabled());
        EXPECT_FALSE(visibleDisabled.isEnabled());
        EXPECT_TRUE(hiddenEnabled.isEnabled());
        EXPECT_TRUE(dialog.isEnabled());
        EXPECT_TRUE(iconWindow.isEnabled());
        checked = true;
        dialog.setModalResult(1);
    });
    showModal(dialog);

    EXPECT_TRUE(checked);
    EXPECT_TRUE(visibleEnabled.isEnabled());
    EXPECT_FALSE(visibleDisabled.isEnabled());
    EXPECT_TRUE(hiddenEnabled.isEnabled());
}

TEST_F(ModalLoopTest, ControlsDisabledOnTheirOwnStayDisabledAfterwards) {
    Form window;
    auto* layout = new QVBoxLayout(&window);
    auto* enabledEdit = new QLineEdit;
    auto* disabledEdit = new QLineEdit;
    disabledEdit->setEnabled(false);
    layout->addWidget(enabledEdit);
    layout->addWidget(disabledEdit);
    window.show();

    Form dialog;
    later(0, [&] {
        EXPECT_FALSE(enabledEdit->isEnabled());
        dialog.setModalResult(1);
    });
    showModal(dialog);
    EXPECT_TRUE(enabledEdit->isEnabled());
    EXPECT_FALSE(disabledEdit->isEnabled());
}

TEST_F(ModalLoopTest, AHiddenModalWindowKeepsItsLoopAndTheOtherWindowsDisabled) {
    Form mainWindow;
    mainWindow.show();
    Form dialog;
    bool hiddenAndRunning = false;
    later(0, [&] { dialog.hide(); });
    later(50, [&] {
        hiddenAndRunning = !dialog.isVisible() && dialog.showingModal() && !mainWindow.isEnabled();
        dialog.setModalResult(1);
    });
    EXPECT_EQ(showModal(dialog), 1);
    EXPECT_TRUE(hiddenAndRunning);
    EXPECT_TRUE(mainWindow.isEnabled());
}

TEST_F(ModalLoopTest, NestedLoopsEndInnermostFirstAndRestoreStepByStep) {
    Form mainWindow;
    mainWindow.show();
    Form outer;
    Form inner;
    std::vector<std::string> steps;
    later(0, [&] {
        later(0, [&] {
            EXPECT_FALSE(outer.isEnabled());
            EXPECT_FALSE(mainWindow.isEnabled());
            inner.setModalResult(1);
        });
        steps.push_back("inner " + std::to_string(showModal(inner)));
        EXPECT_TRUE(outer.isEnabled());
        EXPECT_FALSE(mainWindow.isEnabled());
        outer.setModalResult(2);
    });
    steps.push_back("outer " + std::to_string(showModal(outer)));
    EXPECT_EQ(steps, (std::vector<std::string>{"inner 1", "outer 2"}));
    EXPECT_TRUE(mainWindow.isEnabled());
}

TEST_F(ModalLoopTest, GivesTheFocusAndTheActiveWindowBack) {
    Form mainWindow;
    auto* layout = new QVBoxLayout(&mainWindow);
    auto* first = new QLineEdit;
    auto* second = new QLineEdit;
    layout->addWidget(first);
    layout->addWidget(second);
    mainWindow.show();
    mainWindow.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow));
    second->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), second);

    Form dialog;
    auto* dialogEdit = new QLineEdit(&dialog);
    bool dialogActive = false;
    later(0, [&] {
        dialogEdit->setFocus();
        dialogActive = QTest::qWaitForWindowActive(&dialog);
        dialog.setModalResult(1);
    });
    showModal(dialog);

    EXPECT_TRUE(dialogActive);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&mainWindow));
    EXPECT_EQ(QApplication::activeWindow(), &mainWindow);
    EXPECT_EQ(QApplication::focusWidget(), second);
}

TEST_F(ModalLoopTest, ShowsTheDefaultCursorAndGivesTheCallersCursorBack) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Form dialog;
    bool defaultCursor = false;
    later(0, [&] {
        defaultCursor = QApplication::overrideCursor() == nullptr;
        dialog.setModalResult(1);
    });
    showModal(dialog);
    EXPECT_TRUE(defaultCursor);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ModalLoopTest, ReleasesTheMouseCapture) {
    Form window;
    window.show();
    window.grabMouse();
    ASSERT_EQ(QWidget::mouseGrabber(), &window);
    Form dialog;
    QWidget* grabberInside = &window;
    later(0, [&] {
        grabberInside = QWidget::mouseGrabber();
        dialog.setModalResult(1);
    });
    showModal(dialog);
    EXPECT_EQ(grabberInside, nullptr);
}

}  // namespace
}  // namespace veltrop::testing
