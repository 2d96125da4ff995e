#pragma once

#include <QIcon>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <optional>

#include "platform/window_messages.h"

class QMenu;

namespace veltrop {

class MessageWindow;

// The record of one notification-area icon that goes with every request. Only the
// icon and the tip change after it is made.
struct NotifyIconData {
    static constexpr std::uint32_t kMessage = 1;
    static constexpr std::uint32_t kIcon = 2;
    static constexpr std::uint32_t kTip = 4;
    static constexpr int kTipLength = 63;

    std::uint32_t cbSize = 88;
    MessageWindow* hWnd = nullptr;  // receives the icon's mouse input
    std::uint32_t uID = 1;
    std::uint32_t uFlags = kMessage | kIcon | kTip;
    std::uint32_t uCallbackMessage = window_message::kIconNotify;
    QIcon hIcon;
    QString szTip;  // at most kTipLength characters
};

enum class NotifyIconRequest { Add = 0, Modify = 1, Delete = 2 };

// The desktop's notification area. It keeps the icons it was given and sends their
// mouse input to their message window as uCallbackMessage with wParam = uID and
// lParam = the mouse message (press, release, double-click of each button, move).
class NotificationArea {
public:
    virtual ~NotificationArea() = default;

    // False when refused: an icon added twice, changed or removed while absent.
    virtual bool notifyIcon(NotifyIconRequest request, const NotifyIconData& data) = 0;

    // Whether a host shows icons now, so that an icon is there to click.
    virtual bool available() const = 0;

    // The icon's menu, for hosts that draw menus themselves; nullptr takes it back.
    virtual void setHostMenu(QMenu* menu) = 0;
    // Shows the menu at a screen point and returns once it has closed.
    virtual void popupMenu(QMenu& menu, QPoint at) = 0;

    // The pointer and the keyboard at the moment of asking; no position when the
    // pointer cannot be read.
    virtual std::optional<QPoint> cursorPosition() const = 0;
    virtual Qt::KeyboardModifiers keyboardModifiers() const = 0;
};

}  // namespace veltrop
