#pragma once

#include <QAccessibleWidget>
#include <QPointer>
#include <map>

namespace veltrop {

class RecordGrid;

// The grid as assistive technology sees it: a table of the rows the grid shows,
// with one cell per drawn column, the current row selected and, while the grid has
// the keyboard, focused. Hidden columns (the login and the password) are no cells.
// The grid reads only the rows it shows, so this table is that window of rows: its
// row count is how many rows are shown, never a count of the whole table.
class RecordGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit RecordGridAccessible(RecordGrid& grid);
    ~RecordGridAccessible() override;

    // Makes Qt ask this class for every RecordGrid. Installed once.
    static void install();
    // Tells assistive technology that the grid's current row changed, and first that
    // it shows other rows now when it does: the focus and the selection go to the
    // current row, so that a screen reader speaks it.
    static void currentRowMoved(RecordGrid& grid, bool rowsChanged);

    RecordGrid& grid() const;

    QAccessibleInterface* focusChild() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

private:
    // The cells made so far, by child index; Qt keeps them by their ids.
    mutable std::map<int, QAccessible::Id> cells_;
};

}  // namespace veltrop
