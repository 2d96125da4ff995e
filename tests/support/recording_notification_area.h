#pragma once

#include <QMenu>
#include <QPointer>
#include <functional>
#include <vector>

#include "platform/notification_area.h"

namespace veltrop::testing {

// A notification area that keeps one icon the way a desktop does (refusing a second
// add, or a change or removal of an absent icon) and remembers every request, so a
// test can see what the component asked for and play the user's mouse on the icon.
// Its state is shared with the test through a handle that outlives the component.
class RecordingNotificationArea : public NotificationArea {
public:
    struct Request {
        NotifyIconRequest request;
        NotifyIconData data;
        bool accepted;
    };
    struct Popup {
        QPointer<QMenu> menu;
        QPoint at;
    };
    struct State {
        std::vector<Request> requests;
        std::vector<Popup> popups;
        bool present = false;
        NotifyIconData shown;  // the icon as the area shows it
        bool available = true;
        QPointer<QMenu> hostMenu;
        std::optional<QPoint> cursor = QPoint(0, 0);
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
        // Runs while a popup is open, as the user choosing (or not) from it.
        std::function<void(QMenu&)> whilePopupOpen;
    };

    explicit RecordingNotificationArea(std::shared_ptr<State> state) : state_(std::move(state)) {}

    bool notifyIcon(NotifyIconRequest request, const NotifyIconData& data) override;
    bool available() const override { return state_->available; }
    void setHostMenu(QMenu* menu) override { state_->hostMenu = menu; }
    void popupMenu(QMenu& menu, QPoint at) override;
    std::optional<QPoint> cursorPosition() const override { return state_->cursor; }
    Qt::KeyboardModifiers keyboardModifiers() const override { return state_->modifiers; }

private:
    std::shared_ptr<State> state_;
};

// Sends mouse messages to the icon the area shows, as the desktop does.
void playOnIcon(const RecordingNotificationArea::State& state,
                std::initializer_list<unsigned> mouseMessages);

}  // namespace veltrop::testing
