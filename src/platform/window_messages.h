#pragma once

#include <cstdint>

// The message numbers that the notification area and the tray icon's message window
// exchange: the icon's mouse input arrives as one message whose parameter is the
// mouse message that occurred on the icon.
namespace veltrop::window_message {

constexpr unsigned kQueryEndSession = 0x0011;
constexpr unsigned kMouseMove = 0x0200;
constexpr unsigned kLeftButtonDown = 0x0201;
constexpr unsigned kLeftButtonUp = 0x0202;
constexpr unsigned kLeftButtonDoubleClick = 0x0203;
constexpr unsigned kRightButtonDown = 0x0204;
constexpr unsigned kRightButtonUp = 0x0205;
constexpr unsigned kRightButtonDoubleClick = 0x0206;
constexpr unsigned kMiddleButtonDown = 0x0207;
constexpr unsigned kMiddleButtonUp = 0x0208;
// Our own message: a mouse message on the notification-area icon.
constexpr unsigned kIconNotify = 0x0800;

}  // namespace veltrop::window_message
