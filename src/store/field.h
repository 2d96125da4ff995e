#pragma once

#include <QString>

#include "engine/table_definition.h"

namespace veltrop {

class Table;

// A field of a cursor's current record, read and written as text.
class Field {
public:
    Field(Table& table, int index, engine::FieldDefinition definition);

    const QString& name() const { return name_; }
    int index() const { return index_; }
    engine::FieldKind kind() const { return definition_.kind; }
    bool isMemo() const { return definition_.kind == engine::FieldKind::Memo; }
    // Longest text the field holds, in characters; 0 for a memo, which has no limit.
    int size() const { return isMemo() ? 0 : definition_.size; }

    // The value in the record buffer; "" when the cursor has no current record.
    QString asString() const;
    // Assigns text to the record buffer, cut to size() characters. Needs edit or insert.
    void setAsString(const QString& text);

    // Text cut to at most `size` characters without splitting one.
    static QString cutToSize(const QString& text, int size);

private:
    Table& table_;
    int index_;
    engine::FieldDefinition definition_;
    QString name_;
};

}  // namespace veltrop
