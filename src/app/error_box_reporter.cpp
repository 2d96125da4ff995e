#include "app/error_box_reporter.h"

#include "app/error_description.h"
#include "app/error_texts.h"
#include "platform/modal_scope.h"

namespace veltrop {

ErrorBoxReporter::ErrorBoxReporter(QString title, StopBox box)
    : title_(std::move(title)), box_(std::move(box)) {}

void ErrorBoxReporter::operator()(std::exception_ptr error) const {
    const ErrorDescription description = describeError(error);
    if (description.silent) {
        return;
    }
    ModalScope scope;
    box_(title_, errorBoxText(description.message));
}

}  // namespace veltrop
