#pragma once

#include <QString>
#include <exception>

#include "app/stop_box.h"

namespace veltrop {

// Shows an error that escaped a handler in a box captioned with the application's
// title; the silent abort is dropped. The program's other windows take no input
// while the box is up.
class ErrorBoxReporter {
public:
    ErrorBoxReporter(QString title, StopBox box);

    void operator()(std::exception_ptr error) const;

private:
    QString title_;
    StopBox box_;
};

}  // namespace veltrop
