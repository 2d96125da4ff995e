#pragma once

#include <QPlainTextEdit>

#include "editors/data_bound_editor.h"

namespace veltrop {

// A multi-line editor showing one field, usually a memo, of the data source's
// current record, line breaks included. Read-only until the table is being edited
// and its text is loaded; the first key that would change the text puts the table
// into edit state. Its input is not limited. Tab moves the focus on, as in the rest
// of the window; with tabChangesFocus() off it is typed text instead.
class DBMemo : public DataBoundEditor<QPlainTextEdit> {
    Q_OBJECT

public:
    explicit DBMemo(QWidget* parent = nullptr);

    // The field's value is shown; false when there is none or reading it failed.
    bool loaded() const { return loaded_; }

    // Copies the selected text as plain text; record and table are not touched.
    void copyToClipboard();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void showField(const Field* field) override;
    QString controlText() const override { return toPlainText(); }
    void setEditing(bool editing) override;
    void returnFocus(std::exception_ptr error) override;
    void updateReadOnly() { setReadOnly(!editing_ || !loaded_); }
    void insertText(const QString& text) override { insertPlainText(text); }

    bool editing_ = false;
    bool loaded_ = false;
};

}  // namespace veltrop
