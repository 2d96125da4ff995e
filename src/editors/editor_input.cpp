#include "editors/editor_input.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>

#include "store/code_points.h"

namespace veltrop {

namespace {

constexpr auto kShortcutModifiers =
    Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier;

Qt::KeyboardModifiers shortcutModifiers(const QKeyEvent& event) {
    return event.modifiers() & kShortcutModifiers;
}

bool isLineBreak(const QKeyEvent& event) {
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter || isCtrlJ(event);
}

bool changesText(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = shortcutModifiers(event);
    return typesText(event) || event.key() == Qt::Key_Backspace || event.key() == Qt::Key_Delete ||
           (event.key() == Qt::Key_Insert && modifiers == Qt::ShiftModifier) ||
           (modifiers == Qt::ControlModifier &&
            (event.key() == Qt::Key_V || event.key() == Qt::Key_X)) ||
           event.matches(QKeySequence::Paste) || event.matches(QKeySequence::Cut) ||
           event.matches(QKeySequence::Undo);
}

}  // namespace

bool typesText(const QKeyEvent& event) {
    const QString text = event.text();
    if (text.isEmpty()) {
        return false;
    }
    const QChar first = text.front();
    // Joiners and direction marks, however they were typed.
    if (first.category() == QChar::Other_Format) {
        return true;
    }
    // Ctrl with a letter is a command; Ctrl+Alt is AltGr on some layouts and types.
    const Qt::KeyboardModifiers modifiers = shortcutModifiers(event);
    if (modifiers == Qt::ControlModifier ||
        modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) {
        return false;
    }
    return first.isPrint() || first.category() == QChar::Other_PrivateUse || isPairAt(text, 0);
}

bool isCtrlJ(const QKeyEvent& event) {
    return event.key() == Qt::Key_J && shortcutModifiers(event) == Qt::ControlModifier;
}

bool asksForEditing(const QKeyEvent& event, EditorLines lines, bool tabChangesFocus) {
    if (changesText(event)) {
        return true;
    }
    if (lines == EditorLines::Single) {
        return false;
    }
    return isLineBreak(event) || (event.key() == Qt::Key_Tab && !tabChangesFocus &&
                                  shortcutModifiers(event) == Qt::NoModifier);
}

bool asksForEditing(const QInputMethodEvent& event) {
    return !event.commitString().isEmpty() || !event.preeditString().isEmpty() ||
           event.replacementLength() > 0;
}

bool movesFocus(const QFocusEvent& event) {
    return event.reason() != Qt::PopupFocusReason && event.reason() != Qt::ActiveWindowFocusReason;
}

}  // namespace veltrop
