#pragma once

#include <exception>
#include <functional>

namespace veltrop {

// Shows an error that escaped a handler; installed once by the application shell.
using ErrorReporter = std::function<void(std::exception_ptr)>;

void setErrorReporter(ErrorReporter reporter);

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
