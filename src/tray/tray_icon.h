#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/image_list.h"
#include "platform/notification_area.h"

namespace veltrop {

class MessageWindow;
class WindowHook;

enum class MouseButton { Left = 0, Right = 1, Middle = 2 };

// Keys and buttons held during a mouse event, as flags.
namespace shift {
constexpr unsigned kShift = 1;
constexpr unsigned kAlt = 2;
constexpr unsigned kCtrl = 4;
constexpr unsigned kLeft = 8;
constexpr unsigned kRight = 16;
constexpr unsigned kMiddle = 32;
}  // namespace shift
using ShiftState = unsigned;

// One icon in the desktop's notification area, owned by a window. It turns mouse
// input on the icon into events and a popup menu, can animate the icon from an
// image list, and can hide the application into the icon when it is minimised: it
// watches the application's windows (to see the minimise) and its owner (to bring
// the application back when the owner is shown again).
class TTrayIcon : public QObject {
    Q_OBJECT

public:
    using NotifyEvent = std::function<void(TTrayIcon& sender)>;
    using MouseEvent =
        std::function<void(TTrayIcon& sender, MouseButton button, ShiftState shift, int x, int y)>;
    using MouseMoveEvent = std::function<void(TTrayIcon& sender, ShiftState shift, int x, int y)>;
    using CycleEvent = std::function<void(TTrayIcon& sender, int nextIndex)>;

    // The owner must be a widget, or nothing. The icon enters the area in Loaded().
    TTrayIcon(QObject* owner, std::unique_ptr<NotificationArea> area);
    ~TTrayIcon() override;

    // Requests to the notification area; true when it took them.
    virtual bool AddTrayIcon();
    virtual bool RemoveTrayIcon();
    virtual bool UpdateTrayIcon();

    // The owner has set every property: start minimised if asked, then show the
    // icon (or not) as IconVisible says.
    virtual void Loaded();

    bool DesignPreview() const { return designPreview_; }
    void setDesignPreview(bool preview);
    ImageList* IconList() const { return iconList_; }
    void setIconList(ImageList* list);
    bool CycleIcons() const { return cycleIcons_; }
    void setCycleIcons(bool cycle);
    std::uint32_t CycleInterval() const { return cycleInterval_; }
    void setCycleInterval(std::uint32_t milliseconds);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    const QString& Hint() const { return hint_; }
    void setHint(const QString& hint);
    bool ShowHint() const { return showHint_; }
    void setShowHint(bool show);
    const QIcon& Icon() const { return icon_; }
    void setIcon(const QIcon& icon);
    bool IconVisible() const { return iconVisible_; }
    void setIconVisible(bool visible);
    int IconIndex() const { return iconIndex_; }
    void setIconIndex(int index);
    QMenu* PopupMenu() const { return popupMenu_; }
    void setPopupMenu(QMenu* menu);
    bool LeftPopup() const { return leftPopup_; }
    void setLeftPopup(bool left) { leftPopup_ = left; }
    bool StartMinimized() const { return startMinimized_; }
    void setStartMinimized(bool start) { startMinimized_ = start; }
    bool MinimizeToTray() const { return minimizeToTray_; }
    void setMinimizeToTray(bool hide) { minimizeToTray_ = hide; }

    void setOnClick(NotifyEvent event) { onClick_ = std::move(event); }
    void setOnDblClick(NotifyEvent event) { onDblClick_ = std::move(event); }
    void setOnMouseDown(MouseEvent event) { onMouseDown_ = std::move(event); }
    void setOnMouseUp(MouseEvent event) { onMouseUp_ = std::move(event); }
    void setOnMouseMove(MouseMoveEvent event) { onMouseMove_ = std::move(event); }
    void setOnCycle(CycleEvent event) { onCycle_ = std::move(event); }

    // What the area was last given, and where it sends the icon's mouse input.
    const NotifyIconData& IconData() const { return iconData_; }
    MessageWindow& messageWindow() { return *messageWindow_; }
    const QTimer& CycleTimer() const { return *cycleTimer_; }

    // Whether hiding into the icon leaves the user a way back: a host shows it.
    bool notificationAreaAvailable() const { return area_->available(); }

    // The menu property that names the icon which opened the menu last.
    static constexpr const char* kPopupComponent = "popupComponent";

protected:
    virtual void Click();
    virtual void DblClick();
    virtual void Cycle(int nextIndex);
    virtual void MouseDown(MouseButton button, ShiftState shift, int x, int y);
    virtual void MouseUp(MouseButton button, ShiftState shift, int x, int y);
    virtual void MouseMove(ShiftState shift, int x, int y);
    virtual void HideToTray();

private:
    void FillIconData();
    bool notify(NotifyIconRequest request);
    std::intptr_t iconMessageProcedure(unsigned message, std::uintptr_t wParam,
                                       std::intptr_t lParam);
    void iconMouseMessage(unsigned mouseMessage);
    ShiftState keyboardShift() const;
    void clickDefaultItem();
    void ShowPopupAtCursor();
    void CycleTick();
    int nextCycleIndex() const;
    void runCycleTimer();
    void HideMainWindow();
    void applicationHook(QObject& receiver, QEvent& event);
    void ownerHook(QEvent& event);

    std::unique_ptr<NotificationArea> area_;
    bool enabled_ = true;
    QIcon icon_;
    bool iconVisible_ = true;
    QString hint_;
    bool showHint_ = false;
    QPointer<QMenu> popupMenu_;
    bool leftPopup_ = false;
    NotifyEvent onClick_;
    NotifyEvent onDblClick_;
    CycleEvent onCycle_;
    MouseEvent onMouseDown_;
    MouseEvent onMouseUp_;
    MouseMoveEvent onMouseMove_;
    bool startMinimized_ = false;
    bool minimizeToTray_ = false;
    bool clickPending_ = false;
    QTimer* cycleTimer_ = nullptr;
    int iconIndex_ = 0;
    bool designPreview_ = false;
    bool previewSwitching_ = false;
    QPointer<ImageList> iconList_;
    bool cycleIcons_ = false;
    std::uint32_t cycleInterval_ = 0;
    NotifyIconData iconData_;
    std::unique_ptr<MessageWindow> messageWindow_;
    std::unique_ptr<WindowHook> applicationHook_;
    std::unique_ptr<WindowHook> ownerHook_;
    QPointer<QWidget> owner_;
};

}  // namespace veltrop
