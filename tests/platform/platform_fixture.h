#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>

#include "platform/form.h"
#include "platform/program_state.h"
#include "platform/termination.h"

namespace veltrop::testing {

// Every test starts with no main window, no termination and no window left over.
class PlatformTest : public ::testing::Test {
protected:
    // Runs the step from the event loop after the given time, as a user would act.
    static void later(int milliseconds, std::function<void()> step) {
        QTimer::singleShot(milliseconds, QApplication::instance(), std::move(step));
    }

    ProgramState state_;
};

}  // namespace veltrop::testing
