// Locking a protected table with the screen, before sleep and after idleness, and
// unlocking it with its password.
#include <QTimer>

#include "core/guard.h"
#include "dialogs/select_window.h"
#include "engine/file_probe.h"
#include "main_window/form1.h"
#include "platform/clipboard_eraser.h"
#include "platform/idle_watch.h"
#include "platform/program_state.h"
#include "platform/session_lock_notices.h"
#include "platform/termination.h"
#include "store/credential_table.h"

namespace veltrop {

namespace {

// Tries a lock that was put off once the cursor is back in browse state; later, for the
// change is told from inside the cursor's own operation.
class PendingLockRetry : public TableListener {
public:
    PendingLockRetry(QObject* context, std::function<void()> retry)
        : context_(context), retry_(std::move(retry)) {}
    void tableStateChanged() override { QTimer::singleShot(0, context_, retry_); }

private:
    QObject* context_;
    std::function<void()> retry_;
};

}  // namespace

void TForm1::watchForLocking() {
    // Locking an unprotected table would protect nothing.
    if (engine::probeFile(credentials::kFileName).kind != engine::FileKind::Protected) {
        return;
    }
    const ProgramSettings& settings = programState().settings;
    const auto request = [this] { guarded([&] { lockRequested(); }); };
    if (settings.lockOnScreenLock) {
        lockNotices_ = new SessionLockNotices(this);
        connect(lockNotices_, &SessionLockNotices::lockRequested, this, request);
        // Once the window is up: the buses are no reason to start later.
        QTimer::singleShot(0, lockNotices_, &SessionLockNotices::start);
    }
    if (settings.lockAfterIdleMinutes > 0) {
        idleWatch_ = new IdleWatch(std::chrono::minutes(settings.lockAfterIdleMinutes), this);
        connect(idleWatch_, &IdleWatch::becameIdle, this, request);
    }
    pendingLockRetry_ =
        std::make_unique<PendingLockRetry>(this, [this] { guarded([&] { retryPendingLock(); }); });
    table1_->addListener(pendingLockRetry_.get());
}

void TForm1::lockRequested() {
    if (locked_) {
        return;
    }
    // The user's typing is never dropped, and a modal window holds a loop of its own.
    if (table1_->state() == TableState::Edit || table1_->state() == TableState::Insert ||
        programState().topMostLoweringDepth > 0) {
        lockPending_ = true;
        return;
    }
    lockNow();
}

// Only while the reason still holds: the screen still locked, or still no input.
void TForm1::retryPendingLock() {
    if (!lockPending_) {
        return;
    }
    const bool stillWanted =
        (lockNotices_ && lockNotices_->active()) || (idleWatch_ && idleWatch_->idle());
    if (!stillWanted) {
        lockPending_ = false;
        return;
    }
    lockRequested();
}

void TForm1::lockNow() {
    lockPending_ = false;
    lockedAt_ = table1_->currentRecord();
    locked_ = true;
    if (form2_) {
        form2_->Table1().close();
    }
    table1_->close();
    session_.removeAllPasswords();
    clipboardEraser_->clearOurCopy();
    hideToTray();
}

// Without a notification area the window could not be brought back from hiding,
// so it goes to the taskbar instead.
void TForm1::hideToTray() {
    if (trayIcon1_->notificationAreaAvailable()) {
        hide();
    } else {
        showMinimized();
    }
}

void TForm1::unlock() {
    if (!locked_) {
        return;
    }
    try {
        table1_->openAt(lockedAt_);
    } catch (const engine::EngineError& error) {
        // Cancel in the password dialog: still locked, and out of sight again.
        if (error.code() != engine::ErrorCode::InsufficientRights) {
            throw;
        }
        if (!isTerminating()) {
            hideToTray();
        }
        return;
    }
    locked_ = false;
    lockedAt_.reset();
    if (form2_) {
        form2_->Table1().open();
    }
    showNormal();
    activateWindow();
}

void TForm1::changeEvent(QEvent* event) {
    guarded([&] {
        if (event->type() == QEvent::EnabledChange && isEnabled()) {
            // A modal window has closed.
            QTimer::singleShot(0, this, [this] { guarded([&] { retryPendingLock(); }); });
        } else if (event->type() == QEvent::WindowStateChange && locked_ &&
                   !(windowState() & Qt::WindowMinimized)) {
            // Brought back from the taskbar.
            QTimer::singleShot(0, this, [this] { guarded([&] { unlock(); }); });
        }
    });
    Form::changeEvent(event);
}

}  // namespace veltrop
