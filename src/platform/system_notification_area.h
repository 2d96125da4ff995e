#pragma once

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include "platform/notification_area.h"

namespace veltrop {

// The desktop's notification area through Qt's tray icon, which docks in XEmbed
// trays and in StatusNotifier hosts. The icon's activations come back as the mouse
// messages of a real click: press and release for a click, double-click and release
// for the second click of a double-click.
class SystemNotificationArea : public QObject, public NotificationArea {
    Q_OBJECT

public:
    SystemNotificationArea();
    ~SystemNotificationArea() override;

    bool notifyIcon(NotifyIconRequest request, const NotifyIconData& data) override;
    bool available() const override;
    void setHostMenu(QMenu* menu) override;
    void popupMenu(QMenu& menu, QPoint at) override;
    std::optional<QPoint> cursorPosition() const override;
    Qt::KeyboardModifiers keyboardModifiers() const override;

private:
    void show(const NotifyIconData& data);
    void activated(QSystemTrayIcon::ActivationReason reason);
    void send(std::initializer_list<unsigned> mouseMessages);

    QSystemTrayIcon* icon_ = nullptr;  // a child, while the area shows it
    NotifyIconData data_;
    QPointer<QMenu> menu_;
    // A StatusNotifier host draws the menu itself and reports a click as activation,
    // never a double-click.
    bool hostDrawsMenus_ = false;
    bool activating_ = false;
};

}  // namespace veltrop
