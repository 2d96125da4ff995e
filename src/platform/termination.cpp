#include "platform/termination.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "platform/program_state.h"

namespace veltrop {

bool isTerminating() {
    return programState().terminating;
}

void requestTermination() {
    programState().terminating = true;
    // Queued, so the handler that asked finishes first; exit() also ends every
    // nested loop that is running when the quit arrives.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

}  // namespace veltrop
