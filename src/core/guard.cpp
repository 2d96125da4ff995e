#include "core/guard.h"

#include <cstdio>

namespace veltrop {

namespace {
const ErrorReporter* hook = nullptr;
}

void setErrorReporterHook(const ErrorReporter* reporter) {
    hook = reporter;
}

void reportCurrentException() noexcept {
    try {
        if (hook && *hook) {
            (*hook)(std::current_exception());
            return;
        }
        std::fputs("veltrop: an error escaped a handler with no reporter installed\n", stderr);
    } catch (...) {
        // The reporter itself failed; there is nowhere left to show it.
        std::fputs("veltrop: the error reporter failed\n", stderr);
    }
}

}  // namespace veltrop
