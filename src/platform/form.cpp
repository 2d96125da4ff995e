#include "platform/form.h"

#include <QCloseEvent>

#include "core/guard.h"
#include "platform/form_accessibility.h"
#include "platform/program_state.h"
#include "platform/termination.h"

namespace veltrop {

Form::Form(QWidget* parent) : QWidget(parent, Qt::Window) {
    installFormAccessibility();
}

void Form::setModalResult(int result) {
    modalResult_ = result;
    emit modalResultChanged(result);
}

void Form::closeEvent(QCloseEvent* event) {
    guarded([&] {
        if (event->spontaneous() && !isEnabled()) {
            // The close box of a window disabled by a modal loop: it takes no input.
            // Close() from the program arrives as a non-spontaneous event and goes on.
            event->ignore();
        } else if (showingModal_) {
            // The modal loop hides the form once it has ended.
            event->ignore();
            setModalResult(ModalResult::Cancel);
        } else if (this == programState().mainForm) {
            // The main window stays until shutdown destroys it.
            event->ignore();
            requestTermination();
        } else {
            event->accept();
        }
    });
}

}  // namespace veltrop
