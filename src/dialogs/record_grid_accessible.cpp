#include "dialogs/record_grid_accessible.h"

#include "dialogs/record_grid.h"
#include "dialogs/record_grid_cell_accessible.h"

namespace veltrop {

namespace {

QAccessibleInterface* gridInterface(const QString& /*className*/, QObject* object) {
    auto* grid = qobject_cast<RecordGrid*>(object);
    return grid ? new RecordGridAccessible(*grid) : nullptr;
}

}  // namespace

RecordGridAccessible::RecordGridAccessible(RecordGrid& grid)
    : QAccessibleWidget(&grid, QAccessible::Table) {}

RecordGridAccessible::~RecordGridAccessible() {
    for (const auto& [index, id] : cells_) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

void RecordGridAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(gridInterface);
        return true;
    }();
    (void)installed;
}

void RecordGridAccessible::currentRowMoved(RecordGrid& grid, bool rowsChanged) {
    // Nobody listens: no interface needs to be made.
    if (!QAccessible::isActive()) {
        return;
    }
    if (rowsChanged) {
        QAccessibleTableModelChangeEvent rows(&grid, QAccessibleTableModelChangeEvent::ModelReset);
        QAccessible::updateAccessibility(&rows);
    }
    auto* table = static_cast<RecordGridAccessible*>(QAccessible::queryAccessibleInterface(&grid));
    QAccessibleInterface* current = table->cellAt(grid.currentRow(), 0);
    if (!current) {
        return;
    }
    if (grid.hasFocus()) {
        QAccessibleEvent focus(current, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
    QAccessibleEvent selection(current, QAccessible::Selection);
    QAccessible::updateAccessibility(&selection);
}

RecordGrid& RecordGridAccessible::grid() const {
    return *static_cast<RecordGrid*>(widget());
}

QAccessibleInterface* RecordGridAccessible::focusChild() const {
    return grid().hasFocus() ? cellAt(grid().currentRow(), 0) : nullptr;
}

int RecordGridAccessible::childCount() const {
    return rowCount() * columnCount();
}

QAccessibleInterface* RecordGridAccessible::child(int index) const {
    const int columns = columnCount();
    return columns > 0 && index >= 0 ? cellAt(index / columns, index % columns) : nullptr;
}

int RecordGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    auto* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
    if (!cell || cell->table() != this) {
        return -1;
    }
    return cell->rowIndex() * columnCount() + cell->columnIndex();
}

QAccessibleInterface* RecordGridAccessible::childAt(int x, int y) const {
    for (int index = 0; index < childCount(); ++index) {
        QAccessibleInterface* cell = child(index);
        if (cell->rect().contains(x, y)) {
            return cell;
        }
    }
    return nullptr;
}

void* RecordGridAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface) {
        return static_cast<QAccessibleTableInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface* RecordGridAccessible::cellAt(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return nullptr;
    }
    const int index = row * columnCount() + column;
    auto known = cells_.find(index);
    if (known == cells_.end()) {
        auto* cell = new RecordGridCellAccessible(grid(), row, column);
        known = cells_.emplace(index, QAccessible::registerAccessibleInterface(cell)).first;
    }
    return QAccessible::accessibleInterface(known->second);
}

int RecordGridAccessible::selectedCellCount() const {
    return selectedRowCount() * columnCount();
}

QList<QAccessibleInterface*> RecordGridAccessible::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    for (int column = 0; selectedRowCount() > 0 && column < columnCount(); ++column) {
        cells.append(cellAt(grid().currentRow(), column));
    }
    return cells;
}

QString RecordGridAccessible::columnDescription(int column) const {
    if (column < 0 || column >= columnCount()) {
        return {};
    }
    return QString::fromLatin1(grid().columnField(grid().drawnColumns()[column]));
}

int RecordGridAccessible::selectedRowCount() const {
    return grid().currentRow() >= 0 ? 1 : 0;
}

int RecordGridAccessible::columnCount() const {
    return static_cast<int>(grid().drawnColumns().size());
}

int RecordGridAccessible::rowCount() const {
    return grid().rowCount();
}

QList<int> RecordGridAccessible::selectedRows() const {
    return selectedRowCount() > 0 ? QList<int>{grid().currentRow()} : QList<int>{};
}

bool RecordGridAccessible::isRowSelected(int row) const {
    return row >= 0 && row == grid().currentRow();
}

// As a click on the row would.
bool RecordGridAccessible::selectRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return false;
    }
    grid().selectRow(row);
    return true;
}

// Cells read the grid whenever asked; only those past the shown rows go.
void RecordGridAccessible::modelChange(QAccessibleTableModelChangeEvent* /*event*/) {
    const int cells = childCount();
    for (auto cell = cells_.lower_bound(cells); cell != cells_.end();) {
        QAccessible::deleteAccessibleInterface(cell->second);
        cell = cells_.erase(cell);
    }
}

}  // namespace veltrop
