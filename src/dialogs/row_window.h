#pragma once

#include <vector>

#include "engine/table_file.h"

namespace veltrop {

// The rows a grid shows: consecutive records in table order around the current one,
// read from the table file only as far as the window reaches. However large the
// table, a move reads at most one window of rows and a few neighbouring numbers.
class RowWindow {
public:
    // The number of rows the window holds when the table has that many; at least 1.
    void setCapacity(int rows);
    int capacity() const { return capacity_; }

    const std::vector<engine::RecordRow>& rows() const { return rows_; }
    // Index of the current row in rows(); -1 when the window is empty.
    int active() const { return active_; }
    const engine::RecordRow* current() const;

    void clear();
    // The first records, the first one current.
    void first(engine::TableFile& file);
    // The last records, the last one current.
    void last(engine::TableFile& file);
    // Moves the current record by distance records, stopping at either end of the
    // table; the window scrolls only as far as the current record leaves it.
    void moveBy(engine::TableFile& file, int distance);
    // Makes a shown row current; a row below the last shown changes nothing.
    void select(int row);
    // Reads the window again with the current record at the same row: when it is
    // gone, the next record takes its place, else the previous one.
    void resync(engine::TableFile& file);
    // Makes the first record at or after the number current (the last record when
    // there is none), in the middle of the window.
    void jumpTo(engine::TableFile& file, engine::RecordNumber number);

private:
    // Fills the window with the anchor at most rowsBefore rows from the top and as
    // few empty rows as the table allows.
    void fillAround(engine::TableFile& file, engine::RecordNumber anchor, int rowsBefore);

    std::vector<engine::RecordRow> rows_;
    int active_ = -1;
    int capacity_ = 1;
};

}  // namespace veltrop
