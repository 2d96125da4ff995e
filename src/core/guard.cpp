#include "core/guard.h"

#include <cstdio>
#include <utility>

namespace veltrop {

namespace {
ErrorReporter& installedReporter() {
    static ErrorReporter reporter;
    return reporter;
}
}  // namespace

void setErrorReporter(ErrorReporter reporter) {
    installedReporter() = std::move(reporter);
}

void reportCurrentException() noexcept {
    try {
        if (installedReporter()) {
            installedReporter()(std::current_exception());
            return;
        }
        std::fputs("veltrop: an error escaped a handler with no reporter installed\n", stderr);
    } catch (...) {
        // The reporter itself failed; there is nowhere left to show it.
        std::fputs("veltrop: the error reporter failed\n", stderr);
    }
}

}  // namespace veltrop
