#pragma once

#include <QObject>
#include <functional>
#include <type_traits>

#include "core/guard.h"

namespace veltrop {

// Connects the signal to a handler that runs inside the guard, since no exception may
// cross the Qt frame that emits the signal. The handler is a member function of the
// receiver or a callable; it takes the signal's arguments or none.
template <typename Sender, typename Signal, typename Receiver, typename Handler>
QMetaObject::Connection connectGuarded(Sender* sender, Signal signal, Receiver* receiver,
                                       Handler handler) {
    return QObject::connect(sender, signal, receiver, [receiver, handler](auto&&... args) {
        guarded([&] {
            if constexpr (std::is_invocable_v<const Handler&, Receiver*, decltype(args)...>) {
                std::invoke(handler, receiver, args...);
            } else if constexpr (std::is_invocable_v<const Handler&, Receiver*>) {
                std::invoke(handler, receiver);
            } else if constexpr (std::is_invocable_v<const Handler&, decltype(args)...>) {
                handler(args...);
            } else {
                handler();
            }
        });
    });
}

}  // namespace veltrop
