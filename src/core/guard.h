#pragma once

#include <exception>
#include <functional>

namespace veltrop {

// Shows an error that escaped a handler.
using ErrorReporter = std::function<void(std::exception_ptr)>;

// Where reportCurrentException() sends errors: the program state's reporter, which
// installs itself here (nullptr: none).
void setErrorReporterHook(const ErrorReporter* reporter);

// Hands the exception being handled to the installed reporter. Never throws.
void reportCurrentException() noexcept;

// Runs the body of an entry point that Qt calls (slot, event override, timer
// callback): no exception may cross a Qt frame, so whatever escapes is reported here.
template <typename Body>
void guarded(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
        reportCurrentException();
    }
}

}  // namespace veltrop
