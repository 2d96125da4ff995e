#include "dialogs/record_model.h"

#include "store/table.h"

namespace veltrop {

RecordModel::RecordModel(Table& table, const std::vector<GridColumn>& columns, QObject* parent)
    : QAbstractTableModel(parent), table_(table), rows_(table) {
    for (const GridColumn& column : columns) {
        const Field* field = table_.findField(column.field);
        declared_.push_back({column, field ? field->index() : -1, field ? field->size() : 0});
        if (column.visible) {
            drawn_.push_back(declared_.back());
        }
    }
    table_.addListener(this);
    rows_.resync();
}

RecordModel::~RecordModel() {
    table_.removeListener(this);
}

int RecordModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_.rowCount();
}

int RecordModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(drawn_.size());
}

QVariant RecordModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    return rows_.text(index.row(), drawn_[index.column()].field);
}

QVariant RecordModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= columnCount()) {
        return {};
    }
    return QString::fromLatin1(drawn_[section].declared.field);
}

int RecordModel::columnWidth(int column, int digitWidth) const {
    const Column& drawn = drawn_.at(column);
    return drawn.declared.width ? drawn.declared.width : drawn.size * digitWidth + 4;
}

QString RecordModel::fieldText(int declaredColumn) const {
    return rows_.active() < 0 ? QString()
                              : rows_.text(rows_.active(), declared_.at(declaredColumn).field);
}

template <typename Move>
void RecordModel::change(Move move, bool reread) {
    RowWindow moved = rows_;
    move(moved);
    const bool otherRecords = reread || !moved.sameRecords(rows_);
    // Rows come and go at the end only, and the others change in place: the view's
    // selection and its accessible cells stay with their rows.
    const int before = rows_.rowCount();
    const int after = moved.rowCount();
    if (after < before) {
        beginRemoveRows({}, after, before - 1);
    } else if (after > before) {
        beginInsertRows({}, before, after - 1);
    }
    rows_ = std::move(moved);
    if (after < before) {
        endRemoveRows();
    } else if (after > before) {
        endInsertRows();
    }
    if (otherRecords && after > 0) {
        emit dataChanged(index(0, 0), index(after - 1, columnCount() - 1));
    }
    emit currentRowMoved(rows_.active(), otherRecords);
}

void RecordModel::recordChanged() {
    change([](RowWindow& rows) { rows.resync(); }, true);
}

void RecordModel::setCapacity(int rows) {
    if (rows != rows_.capacity()) {
        change(
            [rows](RowWindow& window) {
                window.setCapacity(rows);
                window.resync();
            },
            true);
    }
}

void RecordModel::first() {
    change([](RowWindow& rows) { rows.first(); });
}

void RecordModel::last() {
    change([](RowWindow& rows) { rows.last(); });
}

void RecordModel::moveBy(int distance) {
    change([distance](RowWindow& rows) { rows.moveBy(distance); });
}

void RecordModel::select(int row) {
    change([row](RowWindow& rows) { rows.select(row); });
}

void RecordModel::jumpTo(engine::RecordNumber number) {
    change([number](RowWindow& rows) { rows.jumpTo(number); });
}

}  // namespace veltrop
