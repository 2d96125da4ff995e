#pragma once

#include <QLineEdit>

#include "editors/code_point_limit.h"
#include "editors/field_control.h"
#include "editors/field_link.h"

namespace veltrop {

class DataSource;

// A single-line editor showing one text field of the data source's current record.
// It is read-only until the table is being edited; the first key that would change
// its text puts the table into edit state. Input is limited to the field's size.
class DBEdit : public QLineEdit, private FieldControl {
    Q_OBJECT

public:
    explicit DBEdit(QWidget* parent = nullptr);

    void setDataSource(DataSource* source) { link_.setDataSource(source); }
    DataSource* dataSource() const { return link_.dataSource(); }
    void setDataField(const QString& name) { link_.setFieldName(name); }
    const QString& dataField() const { return link_.fieldName(); }
    Field* field() const { return link_.field(); }
    // The typed text not yet written into the record differs from what was loaded.
    bool modified() const { return link_.modified(); }

    // The longest text the editor takes, in characters; 0 for no limit. Set to the
    // size of the bound text field when the field's value is loaded.
    int inputLimit() const { return inputLimit_; }

    // Copies the selected text as plain text; record and table are not touched.
    void copyToClipboard();
    // Asks for editing as a key would, then inserts the clipboard's text at the
    // caret in place of the selection, as far as it fits.
    void pasteFromClipboard();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showField(const Field* field) override;
    QString controlText() const override { return text(); }
    void setEditing(bool editing) override { setReadOnly(!editing); }
    void returnFocus(std::exception_ptr error) override;

    CodePointLimit limit_;
    FieldLink link_;
    int inputLimit_ = 0;
};

}  // namespace veltrop
