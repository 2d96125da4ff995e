#pragma once

#include <QString>

#include "engine/table_definition.h"

namespace veltrop {

class Table;

// A field of a cursor's current record, read and written as text.
class Field {
public:
    Field(Table& table, int index, const QString& name)
        : table_(table), index_(index), name_(name) {}

    const QString& name() const { return name_; }
    int index() const { return index_; }
    engine::FieldKind kind() const;
    bool isMemo() const { return kind() == engine::FieldKind::Memo; }
    // Longest text the field holds, in characters; 0 for a memo, which has no limit.
    int size() const;

    // The value in the record buffer; "" when the cursor has no current record.
    QString asString() const;
    // Assigns text to the record buffer, cut to size() characters. Needs edit or insert.
    void setAsString(const QString& text);

private:
    Table& table_;
    int index_;
    QString name_;
};

}  // namespace veltrop
