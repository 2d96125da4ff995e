#include "dialogs/row_window.h"

#include <algorithm>
#include <limits>

namespace veltrop {

using engine::RecordNumber;
using engine::TableFile;

namespace {

constexpr RecordNumber kBeforeAnyRecord = std::numeric_limits<RecordNumber>::min();

// The record `count` records before `from`, or as far as the table goes; `from`
// itself when there is none before it.
RecordNumber stepBack(TableFile& file, RecordNumber from, int count) {
    for (int step = 0; step < count; ++step) {
        const auto prior = file.prior(from);
        if (!prior) {
            break;
        }
        from = *prior;
    }
    return from;
}

}  // namespace

void RowWindow::setCapacity(int rows) {
    capacity_ = std::max(1, rows);
}

const engine::RecordRow* RowWindow::current() const {
    return active_ < 0 ? nullptr : &rows_[active_];
}

void RowWindow::clear() {
    rows_.clear();
    active_ = -1;
}

void RowWindow::first(TableFile& file) {
    rows_ = file.readFrom(kBeforeAnyRecord, capacity_);
    active_ = rows_.empty() ? -1 : 0;
}

void RowWindow::last(TableFile& file) {
    const auto last = file.last();
    if (!last) {
        clear();
        return;
    }
    fillAround(file, *last, capacity_ - 1);
}

void RowWindow::moveBy(TableFile& file, int distance) {
    if (rows_.empty()) {
        return;
    }
    const int target = active_ + distance;
    const int shown = static_cast<int>(rows_.size());
    if (target >= 0 && target < shown) {
        active_ = target;
    } else if (distance > 0) {
        const auto beyond = file.readFrom(rows_.back().number + 1, target - shown + 1);
        if (beyond.empty()) {
            active_ = shown - 1;
        } else {
            fillAround(file, beyond.back().number, capacity_ - 1);
        }
    } else {
        const RecordNumber top = rows_.front().number;
        const RecordNumber reached = stepBack(file, top, -target);
        if (reached == top) {
            active_ = 0;
        } else {
            fillAround(file, reached, 0);
        }
    }
}

void RowWindow::select(int row) {
    if (row >= 0 && row < static_cast<int>(rows_.size())) {
        active_ = row;
    }
}

void RowWindow::resync(TableFile& file) {
    if (rows_.empty()) {
        first(file);
        return;
    }
    const RecordNumber number = current()->number;
    const int row = std::min(active_, capacity_ - 1);
    const auto atOrAfter = file.readFrom(number, 1);
    const auto present = atOrAfter.empty() ? file.prior(number) : atOrAfter.front().number;
    if (!present) {
        clear();
        return;
    }
    fillAround(file, *present, row);
}

void RowWindow::jumpTo(TableFile& file, RecordNumber number) {
    const auto atOrAfter = file.readFrom(number, 1);
    if (atOrAfter.empty()) {
        last(file);
        return;
    }
    fillAround(file, atOrAfter.front().number, (capacity_ - 1) / 2);
}

void RowWindow::fillAround(TableFile& file, RecordNumber anchor, int rowsBefore) {
    // Read into a new window first: a failed read leaves the shown one as it was.
    const RecordNumber top = stepBack(file, anchor, rowsBefore);
    auto rows = file.readFrom(top, capacity_);
    const int missing = capacity_ - static_cast<int>(rows.size());
    if (missing > 0) {
        // Near the end of the table: earlier records fill the window instead.
        const RecordNumber earlier = stepBack(file, top, missing);
        if (earlier != top) {
            rows = file.readFrom(earlier, capacity_);
        }
    }
    const auto found = std::find_if(rows.begin(), rows.end(),
                                    [anchor](const auto& row) { return row.number == anchor; });
    // The anchor can go between two reads, through another program.
    active_ = found != rows.end() ? static_cast<int>(found - rows.begin()) : rows.empty() ? -1 : 0;
    rows_ = std::move(rows);
}

}  // namespace veltrop
