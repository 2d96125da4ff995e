#include "editors/db_edit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTimer>
#include <limits>

#include "core/guard.h"
#include "editors/editor_input.h"
#include "platform/guarded_connect.h"
#include "store/field.h"

namespace veltrop {

DBEdit::DBEdit(QWidget* parent) : DataBoundEditor(parent), limit_(*this) {
    // The limit that counts is ours, in characters; the control's own would cut
    // what it shows.
    setMaxLength(std::numeric_limits<int>::max());
    setValidator(&limit_);
    connectGuarded(this, &QLineEdit::textChanged, this, [this] { link_.textChanged(); });
}

void DBEdit::showField(const Field* field) {
    if (field && !field->isMemo()) {
        inputLimit_ = field->size();
    }
    const QString value = field ? field->asString() : QString();
    // The same text again keeps the caret and selection where the user put them.
    if (value != text()) {
        limit_.setLimit(0);
        setText(value);
    }
    limit_.setLimit(inputLimit_);
}

void DBEdit::returnFocus(std::exception_ptr error) {
    QTimer::singleShot(0, this, [this, error] {
        guarded([&] {
            setFocus(Qt::OtherFocusReason);
            selectAll();
            std::rethrow_exception(error);
        });
    });
}

void DBEdit::copyToClipboard() {
    if (hasSelectedText()) {
        QGuiApplication::clipboard()->setText(selectedText());
    }
}

void DBEdit::keyPressEvent(QKeyEvent* event) {
    guarded([&] {
        if (event->key() == Qt::Key_Escape) {
            link_.reset();
            selectAll();
            event->accept();
            return;
        }
        if (asksForEditing(*event, EditorLines::Single) && !link_.edit()) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    });
}

void DBEdit::focusInEvent(QFocusEvent* event) {
    guarded([&] {
        if (!link_.focused()) {
            link_.setFocused(true);
            // The window coming back active is no move into the editor: a key typed
            // while a question had the focus (the key that asked it) stays.
            if (movesFocus(*event)) {
                link_.reset();
            }
        }
    });
    QLineEdit::focusInEvent(event);
}

void DBEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    guarded([&] {
        if (movesFocus(*event) && link_.exit()) {
            link_.reset();
        }
    });
}

}  // namespace veltrop
