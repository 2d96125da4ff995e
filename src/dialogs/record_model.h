#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "store/row_window.h"
#include "store/table_listener.h"

namespace veltrop {

class Table;

// A column of a record list: the field it shows, whether it is drawn, and its width
// in pixels (0: the field's size in characters of the width of "0", plus 4).
struct GridColumn {
    const char* field;
    bool visible;
    int width;
};

// The rows a record list shows, as a model of the drawn columns only: the columns
// not drawn (the login and the password) are no part of the model, so no view and
// no assistive technology can reach them; fieldText() reads them for the current
// row. The model holds one window of rows around its current row (see RowWindow),
// never the whole table, and reads it again whenever the cursor (re)loads its
// record, as on Refresh. Its rows change only through its moves.
class RecordModel : public QAbstractTableModel, private TableListener {
    Q_OBJECT

public:
    // The cursor must be open and outlive the model.
    RecordModel(Table& table, const std::vector<GridColumn>& columns, QObject* parent = nullptr);
    ~RecordModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // A drawn column's width for a font whose "0" is that wide.
    int columnWidth(int column, int digitWidth) const;
    // The text of the declared column's field (drawn or not) in the current row; ""
    // with no current row or for a field the table lacks.
    QString fieldText(int declaredColumn) const;
    int currentRow() const { return rows_.active(); }
    int capacity() const { return rows_.capacity(); }
    std::optional<RowWindow::Span> span() const { return rows_.span(); }

    void setCapacity(int rows);
    void first();
    void last();
    void moveBy(int distance);
    void select(int row);
    void jumpTo(engine::RecordNumber number);

signals:
    // After every move and every reading, with the current row (-1: none) and whether
    // the rows show other records than before.
    void currentRowMoved(int row, bool otherRecords);

private:
    struct Column {
        GridColumn declared;
        int field;  // index in the table's fields; -1: none
        int size;   // the field's size in characters
    };

    void recordChanged() override;
    // Runs the move on a copy of the window, so that a failed read changes nothing,
    // then shows the result.
    template <typename Move>
    void change(Move move, bool reread = false);

    Table& table_;
    std::vector<Column> declared_;
    std::vector<Column> drawn_;
    RowWindow rows_;
};

}  // namespace veltrop
