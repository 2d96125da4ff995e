#pragma once

#include <QAccessible>
#include <QPointer>

namespace veltrop {

class RecordGrid;

// One cell of the accessible grid: a drawn column of a shown row, read from the grid
// each time it is asked, so that it always tells what the grid shows there now.
class RecordGridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    // column counts drawn columns only.
    RecordGridCellAccessible(RecordGrid& grid, int row, int column);

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    QPointer<RecordGrid> grid_;
    int row_;
    int column_;
};

}  // namespace veltrop
