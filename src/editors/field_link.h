#pragma once

#include <QString>

namespace veltrop {

class DataSource;
class Field;
class FieldControl;
class Table;

// Binds one text control to one field of a data source's table: loads the field's
// value into the control, asks the table for editing before the control may change
// its text, and writes a changed text back into the record.
class FieldLink {
public:
    explicit FieldLink(FieldControl& control);
    ~FieldLink();
    FieldLink(const FieldLink&) = delete;
    FieldLink& operator=(const FieldLink&) = delete;

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return source_; }
    void setFieldName(const QString& name);
    const QString& fieldName() const { return fieldName_; }
    // The bound field, found by name while the table is open; null otherwise.
    Field* field() const { return field_; }

    // A field is bound and the table was not opened read-only.
    bool canModify() const;
    // The table is in edit or insert state and the field can be modified.
    bool editing() const { return editing_; }
    // The control's text changed since it was loaded or written back.
    bool modified() const { return modified_; }
    // Whether the control holds the focus, as far as moving between controls goes.
    bool focused() const { return focused_; }
    void setFocused(bool focused) { focused_ = focused; }

    // The control's text changed: a change, unless the link is loading it.
    void textChanged();
    // Asks for editing before the control changes its text; true when it may.
    // A failure to start editing is reported here.
    bool edit();
    // Loads the field's value into the control again, dropping the control's changes.
    void reset();
    // Writes the control's text into the record when the user changed it.
    void updateRecord();
    // The control loses the focus: writes back; on failure the control takes the
    // focus back and shows the error, and the result is false.
    bool exit();

    // Told by the data source.
    void tableStateChanged();
    void recordChanged();
    void fieldChanged(int index);
    void dataSourceDestroyed();

private:
    Table* table() const;
    void bindField();
    void setEditing(bool editing);

    FieldControl& control_;
    DataSource* source_ = nullptr;
    QString fieldName_;
    Field* field_ = nullptr;
    // What the control showed right after loading: a text typed back to it is no change.
    QString shownText_;
    bool editing_ = false;
    bool modified_ = false;
    bool focused_ = false;
    bool loading_ = false;
};

}  // namespace veltrop
