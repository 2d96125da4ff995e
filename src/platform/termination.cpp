#include "platform/termination.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace veltrop {

namespace {
bool terminating = false;
}

bool isTerminating() {
    return terminating;
}

void requestTermination() {
    terminating = true;
    // Queued, so the handler that asked finishes first; exit() also ends every
    // nested loop that is running when the quit arrives.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void markTerminating() {
    terminating = true;
}

void resetTermination() {
    terminating = false;
}

}  // namespace veltrop
