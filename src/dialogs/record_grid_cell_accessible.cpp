#include "dialogs/record_grid_cell_accessible.h"

#include "dialogs/record_grid.h"

namespace veltrop {

RecordGridCellAccessible::RecordGridCellAccessible(RecordGrid& grid, int row, int column)
    : grid_(&grid), row_(row), column_(column) {}

bool RecordGridCellAccessible::isValid() const {
    return grid_ && row_ < grid_->rowCount() &&
           column_ < static_cast<int>(grid_->drawnColumns().size());
}

QWindow* RecordGridCellAccessible::window() const {
    return grid_ ? grid_->window()->windowHandle() : nullptr;
}

QAccessibleInterface* RecordGridCellAccessible::parent() const {
    return grid_ ? QAccessible::queryAccessibleInterface(grid_) : nullptr;
}

QString RecordGridCellAccessible::text(QAccessible::Text type) const {
    if (!isValid() || (type != QAccessible::Name && type != QAccessible::Value)) {
        return {};
    }
    return grid_->cellText(row_, grid_->drawnColumns()[column_]);
}

QRect RecordGridCellAccessible::rect() const {
    if (!isValid()) {
        return {};
    }
    const QRect cell = grid_->cellRect(row_, grid_->drawnColumns()[column_]);
    return QRect(grid_->viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

QAccessible::State RecordGridCellAccessible::state() const {
    QAccessible::State state;
    state.selectable = true;
    state.focusable = true;
    state.readOnly = true;
    state.selected = isSelected();
    state.focused = isSelected() && grid_->hasFocus();
    state.invalid = !isValid();
    return state;
}

void* RecordGridCellAccessible::interface_cast(QAccessible::InterfaceType type) {
    return type == QAccessible::TableCellInterface
               ? static_cast<QAccessibleTableCellInterface*>(this)
               : nullptr;
}

bool RecordGridCellAccessible::isSelected() const {
    return isValid() && grid_->currentRow() == row_;
}

}  // namespace veltrop
