#include "dialogs/record_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "core/guard.h"
#include "platform/guarded_connect.h"

namespace veltrop {

namespace {

// A cell is this much higher than the font, as the desktop's grids have it.
constexpr int kCellLeading = 3;
constexpr int kGridLine = 1;
constexpr int kWheelStep = 120;
// The scroll bar stands for record numbers, scaled down when they span more than this.
constexpr engine::RecordNumber kMostScrollPositions = 1 << 30;

}  // namespace

RecordView::RecordView(QWidget* parent) : QTableView(parent) {
    horizontalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setTabKeyNavigation(false);
    setAutoScroll(false);
    setWordWrap(false);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connectGuarded(verticalScrollBar(), &QScrollBar::sliderReleased, this,
                   &RecordView::scrollBarReleased);
}

void RecordView::setRecordModel(RecordModel* model) {
    model_ = model;
    setModel(model);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + kCellLeading + kGridLine);
    for (int column = 0; column < model->columnCount(); ++column) {
        setColumnWidth(column, model->columnWidth(column, fontMetrics().horizontalAdvance(u'0')));
    }
    connectGuarded(model, &RecordModel::currentRowMoved, this, &RecordView::showCurrentRow);
    // Read now for the size the view has, so that showing it reads nothing.
    model->setCapacity(fittingRows());
    showCurrentRow(model->currentRow(), true);
}

int RecordView::rowPitch() const {
    return verticalHeader()->defaultSectionSize();
}

void RecordView::showCurrentRow(int row, bool otherRecords) {
    if (row < 0) {
        selectionModel()->clear();
    } else {
        if (otherRecords) {
            // The same row now shows another record: made current anew, it is
            // announced to assistive technology as a move.
            selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
        }
        setCurrentIndex(model_->index(row, 0));
    }
    placeScrollBar();
}

void RecordView::placeScrollBar() {
    const auto span = model_->span();
    barMaximum_ = 0;
    barValue_ = 0;
    if (span && span->last > span->first) {
        const engine::RecordNumber extent = span->last - span->first;
        const engine::RecordNumber positions = std::min(extent, kMostScrollPositions);
        barMaximum_ = static_cast<int>(positions);
        barValue_ = static_cast<int>(std::llround(static_cast<double>(span->current - span->first) *
                                                  static_cast<double>(positions) /
                                                  static_cast<double>(extent)));
    }
    updateGeometries();
}

void RecordView::updateGeometries() {
    QTableView::updateGeometries();
    QScrollBar& bar = *verticalScrollBar();
    const QSignalBlocker blocker(bar);
    bar.setRange(0, barMaximum_);
    bar.setPageStep(model_ ? visibleRowCount() : 1);
    bar.setValue(barValue_);
}

// The rows never scroll inside the view: the model's window moves instead.
void RecordView::scrollContentsBy(int dx, int /*dy*/) {
    QTableView::scrollContentsBy(dx, 0);
}

void RecordView::verticalScrollbarAction(int action) {
    guarded([&] {
        const int current = model_->currentRow();
        switch (action) {
            case QAbstractSlider::SliderSingleStepAdd:
                model_->moveBy(model_->rowCount() - current);
                break;
            case QAbstractSlider::SliderSingleStepSub:
                model_->moveBy(-current - 1);
                break;
            case QAbstractSlider::SliderPageStepAdd:
                model_->moveBy(visibleRowCount());
                break;
            case QAbstractSlider::SliderPageStepSub:
                model_->moveBy(-visibleRowCount());
                break;
            case QAbstractSlider::SliderToMinimum:
                model_->first();
                break;
            case QAbstractSlider::SliderToMaximum:
                model_->last();
                break;
            case QAbstractSlider::SliderMove:
                // A dragged thumb jumps when it is let go; a wheel on the bar, at once.
                if (!verticalScrollBar()->isSliderDown()) {
                    scrollBarReleased();
                }
                break;
            default:
                break;
        }
    });
}

void RecordView::scrollBarReleased() {
    const QScrollBar& bar = *verticalScrollBar();
    const auto span = model_->span();
    if (!span || bar.maximum() == 0) {
        model_->first();
        return;
    }
    const double share = static_cast<double>(bar.sliderPosition()) / bar.maximum();
    model_->jumpTo(span->first +
                   std::llround(share * static_cast<double>(span->last - span->first)));
}

bool RecordView::handleKey(int key, bool control) {
    const int current = model_->currentRow();
    const int toFirstShown = -current;
    const int toLastShown = model_->rowCount() - 1 - current;
    switch (key) {
        case Qt::Key_Up:
            model_->moveBy(control ? toFirstShown : -1);
            return true;
        case Qt::Key_Down:
            model_->moveBy(control ? toLastShown : 1);
            return true;
        case Qt::Key_Left:
            model_->moveBy(-1);
            return true;
        case Qt::Key_Right:
            model_->moveBy(1);
            return true;
        case Qt::Key_PageUp:
            model_->moveBy(control ? toFirstShown : -visibleRowCount());
            return true;
        case Qt::Key_PageDown:
            model_->moveBy(control ? toLastShown : visibleRowCount());
            return true;
        case Qt::Key_Home:
            model_->first();
            return true;
        case Qt::Key_End:
            model_->last();
            return true;
        default:
            return false;
    }
}

void RecordView::keyPressEvent(QKeyEvent* event) {
    guarded([&] {
        // Any other key, typing and editing keys included, does nothing here.
        event->setAccepted(handleKey(event->key(), event->modifiers() & Qt::ControlModifier));
    });
}

void RecordView::mousePressEvent(QMouseEvent* event) {
    guarded([&] {
        const int row = rowAt(static_cast<int>(event->position().y()));
        if (event->button() == Qt::LeftButton && row >= 0) {
            model_->select(row);
        }
    });
}

// Dragging selects nothing: only a press moves the current row.
void RecordView::mouseMoveEvent(QMouseEvent* /*event*/) {}

void RecordView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first click of the two has chosen the row already.
    if (event->button() == Qt::LeftButton) {
        emit doubleClickedAnywhere();
    }
}

void RecordView::wheelEvent(QWheelEvent* event) {
    guarded([&] {
        wheelAngle_ += event->angleDelta().y();
        const int steps = wheelAngle_ / kWheelStep;
        wheelAngle_ -= steps * kWheelStep;
        if (steps != 0) {
            model_->moveBy(-steps);
        }
        event->accept();
    });
}

// Whole rows only: as many as fit above the horizontal scroll bar, which shows when
// the columns are wider than the room beside the vertical one. Worked out from the
// view's own size: a hidden view lays out its scroll bars only once it is shown.
int RecordView::fittingRows() const {
    const QRect room = contentsRect();
    const bool wide =
        horizontalHeader()->length() > room.width() - verticalScrollBar()->sizeHint().width();
    return (room.height() - (wide ? horizontalScrollBar()->sizeHint().height() : 0)) / rowPitch();
}

void RecordView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    guarded([&] {
        if (model_) {
            model_->setCapacity(fittingRows());
        }
    });
}

}  // namespace veltrop
