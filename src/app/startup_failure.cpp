#include "app/startup_failure.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdint>

#include "app/error_description.h"
#include "app/error_texts.h"

namespace veltrop {

namespace {

// The code position is that of this function, counted from the start of the
// program file: the same number on every run of one build, whatever address the
// loader chose.
std::uint32_t codePosition() {
    Dl_info info{};
    const auto self = reinterpret_cast<std::uintptr_t>(&reportStartupFailure);
    if (dladdr(reinterpret_cast<void*>(self), &info) == 0 || info.dli_fbase == nullptr) {
        return 0;
    }
    return static_cast<std::uint32_t>(self - reinterpret_cast<std::uintptr_t>(info.dli_fbase));
}

}  // namespace

void reportStartupFailure(std::exception_ptr error, const StopBox& box) {
    const ErrorDescription description = describeError(error);
    const QString module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    box(kStartupFailureCaption,
        startupFailureText(description.kindName, module, codePosition(), description.message));
}

}  // namespace veltrop
