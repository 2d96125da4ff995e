#include "tray/tray_icon.h"

#include <algorithm>
#include <climits>

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QWidget>
#include <QWindowStateChangeEvent>

#include "core/guard.h"
#include "platform/application_window.h"
#include "platform/form.h"
#include "platform/guarded_connect.h"
#include "platform/image_list.h"
#include "platform/message_window.h"
#include "platform/program_state.h"
#include "platform/window_hook.h"
#include "tray/tray_errors.h"

namespace veltrop {

namespace {

// The first characters of the hint, never half of a surrogate pair.
QString tipOf(const QString& hint) {
    QString tip = hint.left(NotifyIconData::kTipLength);
    if (!tip.isEmpty() && tip.back().isHighSurrogate()) {
        tip.chop(1);
    }
    return tip;
}

QWidget* ownerWidget(QObject* owner) {
    if (!owner) {
        return nullptr;
    }
    auto* widget = qobject_cast<QWidget*>(owner);
    if (!widget) {
        throw InvalidCast("Invalid class typecast");
    }
    return widget;
}

}  // namespace

TTrayIcon::TTrayIcon(QObject* owner, std::unique_ptr<NotificationArea> area)
    : QObject(owner), area_(std::move(area)), owner_(ownerWidget(owner)) {
    messageWindow_ = std::make_unique<MessageWindow>(
        [this](unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
            return iconMessageProcedure(message, wParam, lParam);
        });
    iconData_.hWnd = messageWindow_.get();
    cycleTimer_ = new QTimer(this);
    cycleTimer_->setInterval(static_cast<int>(cycleInterval_));
    connectGuarded(cycleTimer_, &QTimer::timeout, this, &TTrayIcon::CycleTick);
    applicationHook_ = std::make_unique<WindowHook>(
        *QCoreApplication::instance(),
        [this](QObject& receiver, QEvent& event) { applicationHook(receiver, event); });
    if (owner_) {
        ownerHook_ = std::make_unique<WindowHook>(
            *owner_, [this](QObject&, QEvent& event) { ownerHook(event); });
    }
}

TTrayIcon::~TTrayIcon() {
    setIconVisible(false);
    messageWindow_.reset();
    applicationHook_.reset();
    ownerHook_.reset();
}

void TTrayIcon::FillIconData() {
    iconData_.hIcon = icon_;
    iconData_.szTip = !hint_.isEmpty() && showHint_ ? tipOf(hint_) : QString();
}

bool TTrayIcon::notify(NotifyIconRequest request) {
    FillIconData();
    return area_->notifyIcon(request, iconData_);
}

bool TTrayIcon::AddTrayIcon() {
    if (!previewSwitching_) {
        iconVisible_ = true;
    }
    return notify(NotifyIconRequest::Add);
}

bool TTrayIcon::RemoveTrayIcon() {
    if (!previewSwitching_) {
        iconVisible_ = false;
    }
    return notify(NotifyIconRequest::Delete);
}

bool TTrayIcon::UpdateTrayIcon() {
    return notify(NotifyIconRequest::Modify);
}

void TTrayIcon::Loaded() {
    if (startMinimized_) {
        programState().showMainFormOnRun = false;
    }
    UpdateTrayIcon();
    setIconVisible(iconVisible_);
}

void TTrayIcon::setDesignPreview(bool preview) {
    designPreview_ = preview;
    previewSwitching_ = true;
    setIconVisible(preview);
    previewSwitching_ = false;
}

void TTrayIcon::setIconList(ImageList* list) {
    if (iconList_) {
        disconnect(iconList_, &QObject::destroyed, this, nullptr);
    }
    iconList_ = list;
    if (list) {
        // The owner removed the list: forget it.
        connect(list, &QObject::destroyed, this, [this] { setIconList(nullptr); });
    }
    setIconIndex(0);
}

void TTrayIcon::setCycleIcons(bool cycle) {
    cycleIcons_ = cycle;
    if (cycle) {
        setIconIndex(0);
    }
    runCycleTimer();
}

void TTrayIcon::setCycleInterval(std::uint32_t milliseconds) {
    cycleInterval_ = milliseconds;
    cycleTimer_->setInterval(static_cast<int>(std::min<std::uint32_t>(milliseconds, INT_MAX)));
    runCycleTimer();
}

// The timer is enabled with cycling, and ticks only with an interval.
void TTrayIcon::runCycleTimer() {
    if (!cycleIcons_ || cycleInterval_ == 0) {
        cycleTimer_->stop();
        return;
    }
    if (!cycleTimer_->isActive()) {
        cycleTimer_->start();
        if (!cycleTimer_->isActive()) {
            throw OutOfResources("Not enough timers available");
        }
    }
}

void TTrayIcon::setHint(const QString& hint) {
    hint_ = hint;
    UpdateTrayIcon();
}

void TTrayIcon::setShowHint(bool show) {
    showHint_ = show;
    UpdateTrayIcon();
}

void TTrayIcon::setIcon(const QIcon& icon) {
    icon_ = icon;
    UpdateTrayIcon();
}

void TTrayIcon::setIconVisible(bool visible) {
    if (visible) {
        AddTrayIcon();
    } else {
        RemoveTrayIcon();
    }
}

void TTrayIcon::setIconIndex(int index) {
    if (iconList_) {
        iconIndex_ = std::min(index, iconList_->count() - 1);
        icon_ = iconList_->image(iconIndex_);
    } else {
        iconIndex_ = 0;
    }
    UpdateTrayIcon();
}

void TTrayIcon::setPopupMenu(QMenu* menu) {
    if (popupMenu_) {
        disconnect(popupMenu_, &QObject::destroyed, this, nullptr);
    }
    popupMenu_ = menu;
    if (menu) {
        // The owner removed the menu. It is only a QObject by now, so it is merely
        // forgotten, not disconnected from.
        connect(menu, &QObject::destroyed, this, [this] {
            popupMenu_ = nullptr;
            area_->setHostMenu(nullptr);
        });
    }
    area_->setHostMenu(menu);
}

std::intptr_t TTrayIcon::iconMessageProcedure(unsigned message, std::uintptr_t wParam,
                                              std::intptr_t lParam) {
    switch (message) {
        case window_message::kIconNotify:
            guarded([&] { iconMouseMessage(static_cast<unsigned>(lParam)); });
            return 0;
        case window_message::kQueryEndSession:
            return 1;
        default:
            return MessageWindow::defaultProcedure(message, wParam, lParam);
    }
}

ShiftState TTrayIcon::keyboardShift() const {
    const Qt::KeyboardModifiers held = area_->keyboardModifiers();
    ShiftState state = 0;
    if (held & Qt::ShiftModifier) {
        state |= shift::kShift;
    }
    if (held & Qt::ControlModifier) {
        state |= shift::kCtrl;
    }
    if (held & Qt::AltModifier) {
        state |= shift::kAlt;
    }
    return state;
}

void TTrayIcon::iconMouseMessage(unsigned mouseMessage) {
    if (!enabled_) {
        return;
    }
    const ShiftState held = keyboardShift();
    const QPoint at = area_->cursorPosition().value_or(QPoint());
    switch (mouseMessage) {
        case window_message::kMouseMove:
            MouseMove(held, at.x(), at.y());
            break;
        case window_message::kLeftButtonDown:
            MouseDown(MouseButton::Left, held | shift::kLeft, at.x(), at.y());
            clickPending_ = true;
            if (leftPopup_) {
                ShowPopupAtCursor();
            }
            break;
        case window_message::kLeftButtonUp:
            if (clickPending_) {
                clickPending_ = false;
                Click();
            }
            MouseUp(MouseButton::Left, held | shift::kLeft, at.x(), at.y());
            break;
        case window_message::kLeftButtonDoubleClick:
            DblClick();
            clickDefaultItem();
            break;
        case window_message::kRightButtonDown:
            MouseDown(MouseButton::Right, held | shift::kRight, at.x(), at.y());
            ShowPopupAtCursor();
            break;
        case window_message::kRightButtonUp:
            MouseUp(MouseButton::Right, held | shift::kRight, at.x(), at.y());
            break;
        case window_message::kMiddleButtonDown:
            MouseDown(MouseButton::Middle, held | shift::kMiddle, at.x(), at.y());
            break;
        case window_message::kMiddleButtonUp:
            MouseUp(MouseButton::Middle, held | shift::kMiddle, at.x(), at.y());
            break;
        default:
            break;
    }
}

// A double-click chooses the menu's default item, unless a left press opens the menu.
void TTrayIcon::clickDefaultItem() {
    if (!popupMenu_ || leftPopup_) {
        return;
    }
    QAction* marked = popupMenu_->defaultAction();
    if (marked && popupMenu_->actions().contains(marked)) {
        marked->trigger();
    }
}

void TTrayIcon::ShowPopupAtCursor() {
    if (!popupMenu_) {
        return;
    }
    const std::optional<QPoint> at = area_->cursorPosition();
    if (!at) {
        return;
    }
    QCoreApplication::processEvents();
    // The menu may have gone while the pending events ran.
    if (!popupMenu_) {
        return;
    }
    // A disabled owner waits for a modal window, which keeps the keyboard.
    if (owner_ && owner_->isVisible() && owner_->isEnabled()) {
        owner_->activateWindow();
    }
    popupMenu_->setProperty(kPopupComponent, QVariant::fromValue<QObject*>(this));
    area_->popupMenu(*popupMenu_, *at);
}

int TTrayIcon::nextCycleIndex() const {
    if (!iconList_) {
        return 0;
    }
    return iconIndex_ < iconList_->count() - 1 ? iconIndex_ + 1 : 0;
}

void TTrayIcon::CycleTick() {
    if (!iconList_) {
        return;
    }
    icon_ = iconList_->image(iconIndex_);
    Cycle(nextCycleIndex());
    UpdateTrayIcon();
    setIconIndex(nextCycleIndex());
}

void TTrayIcon::Click() {
    if (onClick_) {
        onClick_(*this);
    }
}

void TTrayIcon::DblClick() {
    if (onDblClick_) {
        onDblClick_(*this);
    }
}

void TTrayIcon::Cycle(int nextIndex) {
    if (onCycle_) {
        onCycle_(*this, nextIndex);
    }
}

void TTrayIcon::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
    if (onMouseDown_) {
        onMouseDown_(*this, button, shift, x, y);
    }
}

void TTrayIcon::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
    if (onMouseUp_) {
        onMouseUp_(*this, button, shift, x, y);
    }
}

void TTrayIcon::MouseMove(ShiftState shift, int x, int y) {
    if (onMouseMove_) {
        onMouseMove_(*this, shift, x, y);
    }
}

void TTrayIcon::HideToTray() {
    HideMainWindow();
    setIconVisible(true);
}

// Without a host to show the icon, a hidden window could never be brought back:
// it stays minimised on the taskbar instead.
void TTrayIcon::HideMainWindow() {
    Form* mainForm = programState().mainForm.data();
    if (mainForm && area_->available()) {
        mainForm->setVisible(false);
    }
}

// The application is minimised when its main form is.
void TTrayIcon::applicationHook(QObject& receiver, QEvent& event) {
    if (event.type() != QEvent::WindowStateChange || &receiver != programState().mainForm.data()) {
        return;
    }
    const auto& change = static_cast<QWindowStateChangeEvent&>(event);
    const bool minimised = programState().mainForm->windowState() & Qt::WindowMinimized;
    if (minimised && !(change.oldState() & Qt::WindowMinimized) && minimizeToTray_) {
        HideToTray();
    }
}

void TTrayIcon::ownerHook(QEvent& event) {
    switch (event.type()) {
        case QEvent::Show:
            // Shown by the program, not by the desktop restoring it.
            if (!event.spontaneous()) {
                restoreApplication(*owner_);
                bringToFront(*owner_);
            }
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (QWidget* active = QApplication::focusWidget()) {
                active->setFocus();
            }
            break;
        default:
            break;
    }
}

}  // namespace veltrop
