#pragma once

#include <QObject>
#include <vector>

#include "store/table_listener.h"

namespace veltrop {

class FieldLink;
class Table;

// The link between a table and the editors bound to it: passes every change of the
// table's state, record and fields on to them, and asks them for their pending text
// before the table posts or settles. Editing starts automatically: a change begun
// in an editor while the table is in browse state puts the table into edit state.
// The table must outlive the data source.
class DataSource : public QObject, public TableListener {
public:
    explicit DataSource(Table* table, QObject* parent = nullptr);
    ~DataSource() override;

    Table* table() const { return table_; }

    void addLink(FieldLink* link);
    void removeLink(FieldLink* link);

    void tableStateChanged() override;
    void recordChanged() override;
    void fieldChanged(int field) override;
    void updateRecord() override;

private:
    template <typename Tell>
    void tellLinks(Tell tellOne);

    Table* table_;
    std::vector<FieldLink*> links_;
};

}  // namespace veltrop
