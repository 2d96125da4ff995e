#include "platform/system_notification_area.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>

#include "core/guard.h"
#include "platform/message_window.h"
#include "platform/status_notifier_host.h"

namespace veltrop {

SystemNotificationArea::SystemNotificationArea() : hostDrawsMenus_(statusNotifierHostRunning()) {}

SystemNotificationArea::~SystemNotificationArea() = default;

bool SystemNotificationArea::notifyIcon(NotifyIconRequest request, const NotifyIconData& data) {
    switch (request) {
        case NotifyIconRequest::Add:
            if (icon_) {
                return false;
            }
            icon_ = new QSystemTrayIcon(this);
            connect(icon_, &QSystemTrayIcon::activated, this,
                    [this](QSystemTrayIcon::ActivationReason reason) {
                        activating_ = true;
                        guarded([&] { activated(reason); });
                        activating_ = false;
                    });
            if (hostDrawsMenus_) {
                icon_->setContextMenu(menu_);
            }
            show(data);
            // Shown also while no host runs: a host started later takes the icon.
            icon_->show();
            return true;
        case NotifyIconRequest::Modify:
            if (!icon_) {
                return false;
            }
            show(data);
            return true;
        case NotifyIconRequest::Delete:
            if (!icon_) {
                return false;
            }
            icon_->hide();
            // Not under the icon's own signal, which is still being delivered.
            if (activating_) {
                icon_->deleteLater();
            } else {
                delete icon_;
            }
            icon_ = nullptr;
            return true;
    }
    return false;
}

void SystemNotificationArea::show(const NotifyIconData& data) {
    data_ = data;
    icon_->setIcon(data.hIcon);
    icon_->setToolTip(data.szTip);
}

bool SystemNotificationArea::available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemNotificationArea::setHostMenu(QMenu* menu) {
    menu_ = menu;
    if (icon_ && hostDrawsMenus_) {
        icon_->setContextMenu(menu);
    }
}

void SystemNotificationArea::popupMenu(QMenu& menu, QPoint at) {
    // Such a host has shown the menu already.
    if (!hostDrawsMenus_) {
        menu.exec(at);
    }
}

std::optional<QPoint> SystemNotificationArea::cursorPosition() const {
    return QCursor::pos();
}

Qt::KeyboardModifiers SystemNotificationArea::keyboardModifiers() const {
    return QGuiApplication::queryKeyboardModifiers();
}

void SystemNotificationArea::activated(QSystemTrayIcon::ActivationReason reason) {
    using namespace window_message;
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            // A host that never reports a double-click gets the icon's main action,
            // restoring the window, from a single click.
            if (hostDrawsMenus_) {
                send({kLeftButtonDown, kLeftButtonUp, kLeftButtonDoubleClick, kLeftButtonUp});
            } else {
                send({kLeftButtonDown, kLeftButtonUp});
            }
            break;
        case QSystemTrayIcon::DoubleClick:
            send({kLeftButtonDoubleClick, kLeftButtonUp});
            break;
        case QSystemTrayIcon::Context:
            send({kRightButtonDown, kRightButtonUp});
            break;
        case QSystemTrayIcon::MiddleClick:
            send({kMiddleButtonDown, kMiddleButtonUp});
            break;
        case QSystemTrayIcon::Unknown:
            break;
    }
}

void SystemNotificationArea::send(std::initializer_list<unsigned> mouseMessages) {
    for (unsigned message : mouseMessages) {
        // The icon may go while its input is handled (Exit from its menu).
        if (!icon_ || !data_.hWnd) {
            return;
        }
        data_.hWnd->send(data_.uCallbackMessage, data_.uID, message);
    }
}

}  // namespace veltrop
