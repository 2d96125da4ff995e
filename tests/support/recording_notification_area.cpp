#include "support/recording_notification_area.h"

#include <stdexcept>

#include "platform/message_window.h"

namespace veltrop::testing {

bool RecordingNotificationArea::notifyIcon(NotifyIconRequest request, const NotifyIconData& data) {
    bool accepted = false;
    switch (request) {
        case NotifyIconRequest::Add:
            accepted = !state_->present;
            break;
        case NotifyIconRequest::Modify:
        case NotifyIconRequest::Delete:
            accepted = state_->present;
            break;
    }
    if (accepted) {
        state_->present = request != NotifyIconRequest::Delete;
        state_->shown = data;
    }
    state_->requests.push_back({request, data, accepted});
    return accepted;
}

void RecordingNotificationArea::popupMenu(QMenu& menu, QPoint at) {
    state_->popups.push_back({&menu, at});
    if (state_->whilePopupOpen) {
        state_->whilePopupOpen(menu);
    }
}

void playOnIcon(const RecordingNotificationArea::State& state,
                std::initializer_list<unsigned> mouseMessages) {
    if (!state.present || !state.shown.hWnd) {
        throw std::logic_error("no icon in the notification area");
    }
    for (unsigned message : mouseMessages) {
        state.shown.hWnd->send(state.shown.uCallbackMessage, state.shown.uID, message);
    }
}

}  // namespace veltrop::testing
