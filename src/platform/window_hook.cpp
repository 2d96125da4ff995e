#include "platform/window_hook.h"

#include "core/guard.h"

namespace veltrop {

WindowHook::WindowHook(QObject& watched, Handler handler)
    : watched_(&watched), handler_(std::move(handler)) {
    watched.installEventFilter(this);
}

WindowHook::~WindowHook() {
    if (watched_) {
        watched_->removeEventFilter(this);
    }
}

bool WindowHook::eventFilter(QObject* receiver, QEvent* event) {
    guarded([&] { handler_(*receiver, *event); });
    return false;
}

}  // namespace veltrop
