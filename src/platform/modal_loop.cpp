#include "platform/modal_loop.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QPointer>
#include <vector>

#include "platform/invalid_operation.h"
#include "platform/modal_scope.h"
#include "platform/termination.h"

namespace veltrop {

namespace {

// Puts the default cursor back for the modal window (a busy cursor set by the
// caller would otherwise stay) and brings the caller's cursor back afterwards.
class DefaultCursor {
public:
    DefaultCursor() {
        while (const QCursor* cursor = QApplication::overrideCursor()) {
            saved_.push_back(*cursor);
            QApplication::restoreOverrideCursor();
        }
    }
    ~DefaultCursor() {
        for (auto cursor = saved_.rbegin(); cursor != saved_.rend(); ++cursor) {
            QApplication::setOverrideCursor(*cursor);
        }
    }
    DefaultCursor(const DefaultCursor&) = delete;
    DefaultCursor& operator=(const DefaultCursor&) = delete;

private:
    std::vector<QCursor> saved_;
};

// Where the user was: the active window and the focused control get it back.
class SavedFocus {
public:
    SavedFocus() : active_(QApplication::activeWindow()), focused_(QApplication::focusWidget()) {}
    ~SavedFocus() {
        if (active_) {
            active_->activateWindow();
        }
        if (focused_) {
            focused_->setFocus(Qt::OtherFocusReason);
        }
    }
    SavedFocus(const SavedFocus&) = delete;
    SavedFocus& operator=(const SavedFocus&) = delete;

private:
    QPointer<QWidget> active_;
    QPointer<QWidget> focused_;
};

void releaseMouseCapture() {
    if (QWidget* grabber = QWidget::mouseGrabber()) {
        grabber->releaseMouse();
    }
}

int runLoop(Form& form) {
    QEventLoop loop;
    QObject::connect(&form, &Form::modalResultChanged, &loop, &QEventLoop::quit);
    for (;;) {
        if (isTerminating()) {
            form.setModalResult(ModalResult::Cancel);
        }
        if (form.modalResult() != ModalResult::Running) {
            return form.modalResult();
        }
        loop.exec();
    }
}

}  // namespace

int showModal(Form& form) {
    if (form.isVisible() || !form.isEnabled() || form.showingModal_) {
        throw InvalidOperation(kCannotMakeVisibleWindowModal);
    }
    releaseMouseCapture();
    SavedFocus focus;
    DefaultCursor cursor;
    ModalScope scope;

    form.showingModal_ = true;
    form.show();
    form.raise();
    form.activateWindow();
    TopMostLowering::lowerShownWindows();
    form.setModalResult(ModalResult::Running);

    const int result = runLoop(form);
    form.hide();
    form.showingModal_ = false;
    return result;
}

}  // namespace veltrop
