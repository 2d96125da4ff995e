#pragma once

#include <cstdint>
#include <functional>

namespace veltrop {

// A hidden window that only receives messages: the address the notification area
// sends an icon's mouse input to. Its procedure answers every message.
class MessageWindow {
public:
    using Procedure =
        std::function<std::intptr_t(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>;

    explicit MessageWindow(Procedure procedure) : procedure_(std::move(procedure)) {}
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    std::intptr_t send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
        return procedure_(message, wParam, lParam);
    }

    // What a window does with a message its procedure does not handle.
    static std::intptr_t defaultProcedure(unsigned, std::uintptr_t, std::intptr_t) { return 0; }

private:
    Procedure procedure_;
};

}  // namespace veltrop
