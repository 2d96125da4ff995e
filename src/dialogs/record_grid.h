#pragma once

#include <QAbstractScrollArea>
#include <QString>
#include <vector>

#include "dialogs/row_window.h"
#include "store/table_listener.h"

class QPainter;

namespace veltrop {

class Table;

// A column of the grid: the field it shows, whether it is drawn, and its width in
// pixels (0: the field's size in characters of the width of "0", plus 4).
struct GridColumn {
    const char* field;
    bool visible;
    int width;
};

// A read-only grid of a cursor's table, one record a row, the whole row selected.
// It reads only the rows it shows (see RowWindow), so opening it on a large table
// costs no more than on a small one; its vertical scroll bar is therefore only
// approximate, placed by record numbers. It keeps a current row of its own and
// re-reads its rows whenever the cursor (re)loads its record, as on Refresh.
class RecordGrid : public QAbstractScrollArea, private TableListener {
    Q_OBJECT

public:
    explicit RecordGrid(QWidget* parent = nullptr);
    ~RecordGrid() override;

    // The fixed column list: the grid's fields are these, in this order, whether drawn
    // or not.
    void setColumns(std::vector<GridColumn> columns);
    // The cursor whose table the grid shows; nullptr detaches the grid from it. A
    // cursor must outlive the grid or be detached first.
    void setTable(Table* table);

    // The text of the grid's field of the current row; "" with no current row or for a
    // column whose field the table lacks.
    QString fieldText(int column) const;
    // Rows shown, current row (-1: none), and how many whole rows fit.
    int rowCount() const;
    int currentRow() const;
    int visibleRowCount() const { return rows_.capacity(); }
    // Row height including its grid line, and a column's drawn width (0 when hidden).
    int rowPitch() const;
    int columnWidth(int column) const;

    // The columns drawn, in order; the field a column shows; a shown row's text in a
    // column, and where that cell is in the viewport.
    std::vector<int> drawnColumns() const;
    const char* columnField(int column) const { return columns_.at(column).declared.field; }
    QString cellText(int row, int column) const;
    QRect cellRect(int row, int column) const;
    // Makes a shown row current, as a click on it does.
    void selectRow(int row);

signals:
    // A left double-click anywhere in the rows' area.
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void recordChanged() override;

    // Runs a move of the row window on the table's file, then shows the result.
    template <typename Move>
    void move(Move step);
    bool handleKey(int key, bool control);
    void scrollBarAction(int action);
    void scrollBarReleased();
    void reread();
    void layoutRows();
    void updateScrollBars();
    void announceCurrentRow(engine::RecordNumber firstShownBefore);
    engine::RecordNumber firstShown() const;
    int columnsWidth() const;
    int cellHeight() const;
    void paintRow(QPainter& painter, int row, int top) const;

    struct Column {
        GridColumn declared;
        int field = -1;  // index in the table's fields; -1: none
        int width = 0;
    };
    std::vector<Column> columns_;
    Table* table_ = nullptr;
    RowWindow rows_;
    int wheelAngle_ = 0;
};

}  // namespace veltrop
