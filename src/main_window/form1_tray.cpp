// The notification-area icon, its menu, and hiding the main window into it.
#include <QMenu>
#include <QTimer>

#include "core/guard.h"
#include "main_window/form1.h"
#include "main_window/form1_tray_layout.h"
#include "main_window/tool_bar_images.h"
#include "platform/guarded_connect.h"
#include "platform/system_notification_area.h"

namespace veltrop {

namespace {

using Handler = void (TForm1::*)();

// Beside form1::kTrayMenuItems, item for item.
constexpr std::array<Handler, form1::kTrayMenuItems.size()> kTrayMenuHandlers{
    &TForm1::Restore1Click,
    &TForm1::Exit1Click,
};

}  // namespace

void TForm1::buildTrayIcon(std::unique_ptr<NotificationArea> area) {
    popupMenu1_ = std::make_unique<QMenu>();
    QMenu* menu = popupMenu1_.get();
    menu->setFont(font());
    menu->setObjectName(QStringLiteral("PopupMenu1"));
    for (std::size_t i = 0; i < form1::kTrayMenuItems.size(); ++i) {
        QAction* item = menu->addAction(QString::fromLatin1(form1::kTrayMenuItems[i].caption));
        item->setObjectName(QString::fromLatin1(form1::kTrayMenuItems[i].name));
        const Handler handler = kTrayMenuHandlers[i];
        connectGuarded(item, &QAction::triggered, this, handler);
    }

    trayIcon1_ =
        new TTrayIcon(this, area ? std::move(area) : std::make_unique<SystemNotificationArea>());
    trayIcon1_->setObjectName(QStringLiteral("TrayIcon1"));
    trayIcon1_->setIcon(programIcon());
    trayIcon1_->setShowHint(false);
    trayIcon1_->setCycleInterval(0);
    trayIcon1_->setIconIndex(0);
    trayIcon1_->setPopupMenu(menu);
    trayIcon1_->setOnDblClick([this](TTrayIcon&) { TrayIcon1DblClick(); });

    connectGuarded(ToolButtonMinimize(), &QToolButton::clicked, this,
                   &TForm1::ToolButtonMinimizeClick);
}

void TForm1::ToolButtonMinimizeClick() {
    trayIcon1_->setMinimizeToTray(true);
    hideToTray();
}

void TForm1::TrayIcon1DblClick() {
    if (locked_) {
        // Out of the icon's own handling: the password is asked in a modal loop.
        QTimer::singleShot(0, this, [this] { guarded([&] { unlock(); }); });
        return;
    }
    show();
}

// Only undoes a maximise: neither kind of minimise is a state of the window's own.
void TForm1::Restore1Click() {
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
}

// Ends the program at once: pending changes are dropped, nothing is asked.
void TForm1::Exit1Click() {
    close();
}

}  // namespace veltrop
