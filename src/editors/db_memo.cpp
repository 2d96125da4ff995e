#include "editors/db_memo.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTextDocumentFragment>
#include <QTimer>

#include "core/error.h"
#include "core/guard.h"
#include "editors/editor_input.h"
#include "platform/guarded_connect.h"
#include "store/field.h"

namespace veltrop {

DBMemo::DBMemo(QWidget* parent) : DataBoundEditor(parent) {
    setTabChangesFocus(true);
    connectGuarded(this, &QPlainTextEdit::textChanged, this, [this] {
        if (loaded_) {
            link_.textChanged();
        }
    });
}

void DBMemo::showField(const Field* field) {
    QString value;
    bool loaded = field != nullptr;
    if (field) {
        try {
            value = field->asString();
        } catch (const Error& error) {
            // A note that cannot be read says why in place of its text.
            value = QStringLiteral("(%1)").arg(QString::fromStdString(error.message()));
            loaded = false;
        }
    }
    // The same text again keeps the caret, the selection and the scrolling.
    if (value != toPlainText()) {
        setPlainText(value);
    }
    loaded_ = loaded;
    updateReadOnly();
}

void DBMemo::setEditing(bool editing) {
    editing_ = editing;
    updateReadOnly();
}

void DBMemo::returnFocus(std::exception_ptr error) {
    QTimer::singleShot(0, this, [this, error] {
        guarded([&] {
            setFocus(Qt::OtherFocusReason);
            std::rethrow_exception(error);
        });
    });
}

void DBMemo::copyToClipboard() {
    const QString selected = textCursor().selection().toPlainText();
    if (!selected.isEmpty()) {
        QGuiApplication::clipboard()->setText(selected);
    }
}

void DBMemo::keyPressEvent(QKeyEvent* event) {
    guarded([&] {
        if (event->key() == Qt::Key_Escape) {
            link_.reset();
        } else if (asksForEditing(*event, EditorLines::Multiple, tabChangesFocus()) &&
                   !link_.edit()) {
            event->accept();
            return;
        }
        if (isCtrlJ(*event)) {
            insertPlainText(QStringLiteral("\n"));
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    });
}

void DBMemo::focusInEvent(QFocusEvent* event) {
    guarded([&] { link_.setFocused(true); });
    QPlainTextEdit::focusInEvent(event);
}

bool DBMemo::focusNextPrevChild(bool next) {
    // Tab taken as text asks for editing like any typed key, so it must reach the
    // memo before the table is being edited too.
    if (!tabChangesFocus() && link_.canModify()) {
        return false;
    }
    return QPlainTextEdit::focusNextPrevChild(next);
}

void DBMemo::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    guarded([&] {
        if (movesFocus(*event)) {
            link_.exit();
        }
    });
}

}  // namespace veltrop
