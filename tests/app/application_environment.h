#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "app/application.h"

// Window tests run inside one veltrop::Application per test binary (link the
// object library veltrop_application_environment). Its message boxes are recorded
// instead of shown, and the binary fails if any exception ever reaches the
// application's last net in notify().
namespace veltrop::testing {

struct RecordedBox {
    QString caption;
    QString text;
};

Application& application();

// Every box "shown" since the last clearRecordedBoxes(), in order.
const std::vector<RecordedBox>& recordedBoxes();
void clearRecordedBoxes();

// Runs while each later box is up, in place of the user reading it.
void whileBoxShown(std::function<void()> action);

}  // namespace veltrop::testing
