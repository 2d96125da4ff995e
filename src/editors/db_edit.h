#pragma once

#include <QLineEdit>

#include "editors/code_point_limit.h"
#include "editors/data_bound_editor.h"

namespace veltrop {

// A single-line editor showing one text field of the data source's current record.
// It is read-only until the table is being edited; the first key that would change
// its text puts the table into edit state. Input is limited to the field's size.
class DBEdit : public DataBoundEditor<QLineEdit> {
    Q_OBJECT

public:
    explicit DBEdit(QWidget* parent = nullptr);

    // The longest text the editor takes, in characters; 0 for no limit. Set to the
    // size of the bound text field when the field's value is loaded.
    int inputLimit() const { return inputLimit_; }

    // Copies the selected text as plain text; record and table are not touched.
    void copyToClipboard();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showField(const Field* field) override;
    QString controlText() const override { return text(); }
    void setEditing(bool editing) override { setReadOnly(!editing); }
    void returnFocus(std::exception_ptr error) override;
    void insertText(const QString& text) override { insert(text); }

    CodePointLimit limit_;
    int inputLimit_ = 0;
};

}  // namespace veltrop
