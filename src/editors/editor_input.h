#pragma once

class QFocusEvent;
class QInputMethodEvent;
class QKeyEvent;

namespace veltrop {

// Which input an editor must ask its field link about before handing it on.
enum class EditorLines { Single, Multiple };

// A key that types text into the control: what the text control itself would insert.
bool typesText(const QKeyEvent& event);

// A key that changes the editor's text and so first needs the table in editing:
// typed text, Backspace, Delete, cut, paste and undo; in a multi-line editor also
// Enter and Ctrl+J, and Tab unless it moves the focus.
bool asksForEditing(const QKeyEvent& event, EditorLines lines, bool tabChangesFocus = true);

// An input method about to put text into the control.
bool asksForEditing(const QInputMethodEvent& event);

// A line feed typed as Ctrl+J, which the text control itself ignores.
bool isCtrlJ(const QKeyEvent& event);

// The focus moves to another control. A popup menu opening, or the window losing
// its activation, leaves the focus where it is as far as the editors go.
bool movesFocus(const QFocusEvent& event);

}  // namespace veltrop
