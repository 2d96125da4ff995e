#include "store/row_window.h"

#include <algorithm>
#include <limits>

#include "store/table.h"

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

TableFile* RowWindow::file() const {
    return table_->active() ? &table_->file() : nullptr;
}

QString RowWindow::text(int row, int field) const {
    const auto& values = rows_.at(row).values;
    if (field < 0 || field >= static_cast<int>(values.size())) {
        return {};
    }
    return QString::fromStdString(values[field]);
}

std::optional<RowWindow::Span> RowWindow::span() const {
    TableFile* table = file();
    if (!table || active_ < 0) {
        return std::nullopt;
    }
    const auto first = table->first();
    const auto last = table->last();
    if (!first || !last) {
        return std::nullopt;
    }
    return Span{*first, *last, rows_[active_].number};
}

bool RowWindow::sameRecords(const RowWindow& other) const {
    return std::equal(rows_.begin(), rows_.end(), other.rows_.begin(), other.rows_.end(),
                      [](const auto& one, const auto& two) { return one.number == two.number; });
}

void RowWindow::clear() {
    rows_.clear();
    active_ = -1;
}

void RowWindow::first() {
    if (TableFile* table = file()) {
        rows_ = table->readFrom(kBeforeAnyRecord, capacity_);
        active_ = rows_.empty() ? -1 : 0;
    }
}

void RowWindow::last() {
    TableFile* table = file();
    if (!table) {
        return;
    }
    const auto last = table->last();
    if (!last) {
        clear();
        return;
    }
    fillAround(*table, *last, capacity_ - 1);
}

void RowWindow::moveBy(int distance) {
    TableFile* table = file();
    if (!table || rows_.empty()) {
        return;
    }
    const int target = active_ + distance;
    const int shown = rowCount();
    if (target >= 0 && target < shown) {
        active_ = target;
    } else if (distance > 0) {
        const auto beyond = table->readFrom(rows_.back().number + 1, target - shown + 1);
        if (beyond.empty()) {
            active_ = shown - 1;
        } else {
            fillAround(*table, beyond.back().number, capacity_ - 1);
        }
    } else {
        const RecordNumber top = rows_.front().number;
        const RecordNumber reached = stepBack(*table, top, -target);
        if (reached == top) {
            active_ = 0;
        } else {
            fillAround(*table, reached, 0);
        }
    }
}

void RowWindow::select(int row) {
    if (row >= 0 && row < rowCount()) {
        active_ = row;
    }
}

void RowWindow::resync() {
    TableFile* table = file();
    if (!table) {
        clear();
        return;
    }
    if (rows_.empty()) {
        first();
        return;
    }
    const RecordNumber number = rows_[active_].number;
    const int row = std::min(active_, capacity_ - 1);
    const auto atOrAfter = table->readFrom(number, 1);
    const auto present = atOrAfter.empty() ? table->prior(number) : atOrAfter.front().number;
    if (!present) {
        clear();
        return;
    }
    fillAround(*table, *present, row);
}

void RowWindow::jumpTo(RecordNumber number) {
    TableFile* table = file();
    if (!table) {
        return;
    }
    const auto atOrAfter = table->readFrom(number, 1);
    if (atOrAfter.empty()) {
        last();
        return;
    }
    fillAround(*table, atOrAfter.front().number, (capacity_ - 1) / 2);
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
