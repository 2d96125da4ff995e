#include "platform/form.h"

#include <QCloseEvent>
#include <QKeyEvent>

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

void Form::setKeyButtons(QAbstractButton* enter, QAbstractButton* escape) {
    enterButton_ = enter;
    escapeButton_ = escape;
}

void Form::keyPressEvent(QKeyEvent* event) {
    guarded([&] {
        const bool plain =
            event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
        QAbstractButton* button = nullptr;
        if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
            button = enterButton_;
        } else if (plain && event->key() == Qt::Key_Escape) {
            button = escapeButton_;
        }
        if (button) {
            // A disabled button ignores the click.
            button->click();
        } else {
            QWidget::keyPressEvent(event);
        }
    });
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
