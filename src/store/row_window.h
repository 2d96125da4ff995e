#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "engine/table_file.h"

namespace veltrop {

class Table;

// The rows a list shows of a cursor's table: consecutive records in table order
// around a current one, read from the table only as far as the window reaches.
// However large the table, a move reads at most one window of rows and a few
// neighbouring numbers; nothing counts the records or numbers their positions, which
// would read (and on a protected table decrypt) every page. A closed cursor shows no
// rows, and moves on it do nothing.
class RowWindow {
public:
    explicit RowWindow(Table& table) : table_(&table) {}

    // The number of rows the window holds when the table has that many; at least 1.
    void setCapacity(int rows);
    int capacity() const { return capacity_; }

    int rowCount() const { return static_cast<int>(rows_.size()); }
    // Index of the current row; -1 when the window is empty.
    int active() const { return active_; }
    // A shown row's stored value of the field with that index, as text; "" for a field
    // the table lacks (a negative index).
    QString text(int row, int field) const;

    // Where the current record lies between the table's first and last, by record
    // number; nothing when the window is empty.
    struct Span {
        engine::RecordNumber first, last, current;
    };
    std::optional<Span> span() const;

    void clear();
    // The first records, the first one current.
    void first();
    // The last records, the last one current.
    void last();
    // Moves the current record by distance records, stopping at either end of the
    // table; the window scrolls only as far as the current record leaves it.
    void moveBy(int distance);
    // Makes a shown row current; a row below the last shown changes nothing.
    void select(int row);
    // Reads the window again with the current record at the same row: when it is
    // gone, the next record takes its place, else the previous one.
    void resync();
    // Makes the first record at or after the number current (the last record when
    // there is none), in the middle of the window.
    void jumpTo(engine::RecordNumber number);

    // Whether both windows show the same records.
    bool sameRecords(const RowWindow& other) const;

private:
    // The table's file; nullptr while the cursor is closed.
    engine::TableFile* file() const;
    // Fills the window with the anchor at most rowsBefore rows from the top and as
    // few empty rows as the table allows.
    void fillAround(engine::TableFile& file, engine::RecordNumber anchor, int rowsBefore);

    Table* table_;
    std::vector<engine::RecordRow> rows_;
    int active_ = -1;
    int capacity_ = 1;
};

}  // namespace veltrop
