#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>

#include "application_environment.h"
#include "platform/form.h"
#include "platform/modal_loop.h"
#include "platform/program_state.h"

namespace veltrop::testing {

// Each test starts with no main window, no termination and no recorded box, and
// fails on any error box it did not take for itself.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { clearRecordedBoxes(); }
    void TearDown() override {
        EXPECT_TRUE(recordedBoxes().empty()) << "an error box was shown";
        clearRecordedBoxes();
    }

    // Shows the form modally and runs the step inside its loop, as the user acts once
    // the window is up and active; returns the loop's result. A step that leaves the loop running
    // fails the test instead of hanging it.
    static int whileModal(Form& form, std::function<void()> step) {
        QTimer::singleShot(0, QApplication::instance(), [&form, step = std::move(step)] {
            // The offscreen platform keeps a hidden window as its focus window and so never
            // activates it again when it is shown anew; a window manager would.
            if (QGuiApplication::focusWindow() == form.windowHandle()) {
                QApplication::setActiveWindow(&form);
            }
            EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
            step();
            if (form.showingModal() && form.modalResult() == ModalResult::Running) {
                ADD_FAILURE() << "the window is still open after the step";
                form.setModalResult(-1);
            }
        });
        return showModal(form);
    }

    ProgramState state_;
};

}  // namespace veltrop::testing
