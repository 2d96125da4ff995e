#pragma once

#include <QTableView>

#include "dialogs/record_model.h"

namespace veltrop {

// A read-only list of records on a RecordModel: one record a row, the whole row
// selected, no title row, fixed columns. It shows as many whole rows as fit, and
// only those are in the model; the vertical scroll bar therefore stands for record
// numbers, placed approximately. Every key, click, wheel turn and scroll bar action
// moves the model's current row, which the view's selection follows; typing does
// nothing. A left double-click anywhere in the rows' area, below the last row too,
// is reported by doubleClickedAnywhere().
class RecordView : public QTableView {
    Q_OBJECT

public:
    explicit RecordView(QWidget* parent = nullptr);

    // The model the view shows and moves; owned by the caller.
    void setRecordModel(RecordModel* model);
    RecordModel& records() const { return *model_; }

    // The text of the declared column's field in the current row (see RecordModel).
    QString fieldText(int column) const { return model_->fieldText(column); }
    // How many whole rows fit, and a row's height including its grid line.
    int visibleRowCount() const { return model_->capacity(); }
    int rowPitch() const;

signals:
    void doubleClickedAnywhere();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void verticalScrollbarAction(int action) override;

private:
    int fittingRows() const;
    bool handleKey(int key, bool control);
    void showCurrentRow(int row, bool otherRecords);
    void placeScrollBar();
    void scrollBarReleased();

    RecordModel* model_ = nullptr;
    int wheelAngle_ = 0;
    // The vertical scroll bar as the current record places it; the view's own
    // layout would make it span the shown rows only.
    int barMaximum_ = 0;
    int barValue_ = 0;
};

}  // namespace veltrop
