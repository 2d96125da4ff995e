#include "dialogs/record_grid.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "core/guard.h"
#include "dialogs/record_grid_accessible.h"
#include "platform/guarded_connect.h"
#include "store/table.h"

namespace veltrop {

namespace {

// Text is drawn this far from a cell's left and right edges.
constexpr int kCellPadding = 2;
// A cell is this much higher than the font, as the desktop's grids have it.
constexpr int kCellLeading = 3;
constexpr int kGridLine = 1;
constexpr int kWheelStep = 120;
// The scroll bar stands for record numbers, scaled down when they span more than this.
constexpr engine::RecordNumber kMostScrollPositions = 1 << 30;

}  // namespace

RecordGrid::RecordGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    RecordGridAccessible::install();
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalScrollBar()->setSingleStep(1);
    connectGuarded(verticalScrollBar(), &QScrollBar::actionTriggered, this,
                   &RecordGrid::scrollBarAction);
    connectGuarded(verticalScrollBar(), &QScrollBar::sliderReleased, this,
                   &RecordGrid::scrollBarReleased);
}

RecordGrid::~RecordGrid() {
    if (table_) {
        table_->removeListener(this);
    }
}

void RecordGrid::setColumns(std::vector<GridColumn> columns) {
    columns_.clear();
    for (const GridColumn& column : columns) {
        columns_.push_back({column});
    }
    setTable(table_);
}

void RecordGrid::setTable(Table* table) {
    if (table_) {
        table_->removeListener(this);
    }
    table_ = table;
    const QFontMetrics metrics = fontMetrics();
    for (Column& column : columns_) {
        const Field* field = table_ ? table_->findField(column.declared.field) : nullptr;
        column.field = field ? field->index() : -1;
        const int size = field ? field->size() : 0;
        column.width = !column.declared.visible ? 0
                       : column.declared.width  ? column.declared.width
                                                : size * metrics.horizontalAdvance(u'0') + 4;
    }
    rows_.clear();
    if (table_) {
        table_->addListener(this);
    }
    layoutRows();
    reread();
}

int RecordGrid::rowCount() const {
    return static_cast<int>(rows_.rows().size());
}

int RecordGrid::currentRow() const {
    return rows_.active();
}

int RecordGrid::cellHeight() const {
    return fontMetrics().height() + kCellLeading;
}

int RecordGrid::rowPitch() const {
    return cellHeight() + kGridLine;
}

int RecordGrid::columnWidth(int column) const {
    return columns_.at(column).width;
}

int RecordGrid::columnsWidth() const {
    int width = 0;
    for (const Column& column : columns_) {
        if (column.declared.visible) {
            width += column.width + kGridLine;
        }
    }
    return width;
}

QString RecordGrid::cellText(int row, int column) const {
    const int field = columns_.at(column).field;
    const auto& values = rows_.rows().at(row).values;
    if (field < 0 || field >= static_cast<int>(values.size())) {
        return {};
    }
    return QString::fromStdString(values[field]);
}

QString RecordGrid::fieldText(int column) const {
    return rows_.current() ? cellText(rows_.active(), column) : QString();
}

void RecordGrid::recordChanged() {
    reread();
}

void RecordGrid::reread() {
    if (table_ && table_->active()) {
        rows_.resync(table_->file());
    } else {
        rows_.clear();
    }
    updateScrollBars();
    // The rows may hold other values now, whatever their numbers.
    announceCurrentRow(-1);
    viewport()->update();
}

template <typename Move>
void RecordGrid::move(Move step) {
    if (!table_ || !table_->active()) {
        return;
    }
    const engine::RecordNumber shownBefore = firstShown();
    step(table_->file());
    updateScrollBars();
    announceCurrentRow(shownBefore);
    viewport()->update();
}

engine::RecordNumber RecordGrid::firstShown() const {
    return rows_.rows().empty() ? -1 : rows_.rows().front().number;
}

void RecordGrid::announceCurrentRow(engine::RecordNumber firstShownBefore) {
    RecordGridAccessible::currentRowMoved(*this,
                                          firstShownBefore < 0 || firstShown() != firstShownBefore);
}

void RecordGrid::selectRow(int row) {
    if (row >= 0 && row < rowCount() && row != currentRow()) {
        move([&](auto&) { rows_.select(row); });
    }
}

std::vector<int> RecordGrid::drawnColumns() const {
    std::vector<int> drawn;
    for (int column = 0; column < static_cast<int>(columns_.size()); ++column) {
        if (columns_[column].declared.visible) {
            drawn.push_back(column);
        }
    }
    return drawn;
}

QRect RecordGrid::cellRect(int row, int column) const {
    int left = -horizontalScrollBar()->value();
    for (int before = 0; before < column; ++before) {
        if (columns_[before].declared.visible) {
            left += columns_[before].width + kGridLine;
        }
    }
    return QRect(left, row * rowPitch(), columnWidth(column), cellHeight());
}

// Whole rows only: as many as fit above the horizontal scroll bar, which shows when
// the drawn columns are wider than the room beside the vertical one.
void RecordGrid::layoutRows() {
    const int room = contentsRect().width() - verticalScrollBar()->sizeHint().width();
    const int overflow = std::max(0, columnsWidth() - room);
    horizontalScrollBar()->setRange(0, overflow);
    horizontalScrollBar()->setPageStep(std::max(1, room));
    const int height =
        contentsRect().height() - (overflow > 0 ? horizontalScrollBar()->sizeHint().height() : 0);
    const int capacity = std::max(1, height / rowPitch());
    if (capacity != rows_.capacity()) {
        rows_.setCapacity(capacity);
        reread();
    }
}

void RecordGrid::updateScrollBars() {
    QScrollBar& bar = *verticalScrollBar();
    const QSignalBlocker blocker(bar);
    bar.setPageStep(visibleRowCount());
    const auto* current = rows_.current();
    const auto first = current ? table_->file().first() : std::nullopt;
    const auto last = current ? table_->file().last() : std::nullopt;
    if (!first || !last || *last <= *first) {
        bar.setRange(0, 0);
        return;
    }
    const engine::RecordNumber span = *last - *first;
    const engine::RecordNumber positions = std::min(span, kMostScrollPositions);
    bar.setRange(0, static_cast<int>(positions));
    bar.setValue(
        static_cast<int>(std::llround(static_cast<double>(current->number - *first) *
                                      static_cast<double>(positions) / static_cast<double>(span))));
}

void RecordGrid::scrollBarAction(int action) {
    const int current = currentRow();
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            move([&](auto& file) { rows_.moveBy(file, rowCount() - current); });
            break;
        case QAbstractSlider::SliderSingleStepSub:
            move([&](auto& file) { rows_.moveBy(file, -current - 1); });
            break;
        case QAbstractSlider::SliderPageStepAdd:
            move([&](auto& file) { rows_.moveBy(file, visibleRowCount()); });
            break;
        case QAbstractSlider::SliderPageStepSub:
            move([&](auto& file) { rows_.moveBy(file, -visibleRowCount()); });
            break;
        case QAbstractSlider::SliderToMinimum:
            move([&](auto& file) { rows_.first(file); });
            break;
        case QAbstractSlider::SliderToMaximum:
            move([&](auto& file) { rows_.last(file); });
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
}

void RecordGrid::scrollBarReleased() {
    const QScrollBar& bar = *verticalScrollBar();
    const int position = bar.sliderPosition();
    move([&](auto& file) {
        const auto first = file.first();
        const auto last = file.last();
        if (!first || !last || bar.maximum() == 0) {
            rows_.first(file);
            return;
        }
        const double share = static_cast<double>(position) / bar.maximum();
        rows_.jumpTo(file, *first + std::llround(share * static_cast<double>(*last - *first)));
    });
}

bool RecordGrid::handleKey(int key, bool control) {
    const int current = currentRow();
    const auto toFirstShown = [&](auto& file) { rows_.moveBy(file, -current); };
    const auto toLastShown = [&](auto& file) { rows_.moveBy(file, rowCount() - 1 - current); };
    const auto by = [this](int distance) {
        return [this, distance](auto& file) { rows_.moveBy(file, distance); };
    };
    switch (key) {
        case Qt::Key_Up:
            control ? move(toFirstShown) : move(by(-1));
            return true;
        case Qt::Key_Down:
            control ? move(toLastShown) : move(by(1));
            return true;
        case Qt::Key_Left:
            move(by(-1));
            return true;
        case Qt::Key_Right:
            move(by(1));
            return true;
        case Qt::Key_PageUp:
            control ? move(toFirstShown) : move(by(-visibleRowCount()));
            return true;
        case Qt::Key_PageDown:
            control ? move(toLastShown) : move(by(visibleRowCount()));
            return true;
        case Qt::Key_Home:
            move([this](auto& file) { rows_.first(file); });
            return true;
        case Qt::Key_End:
            move([this](auto& file) { rows_.last(file); });
            return true;
        default:
            return false;
    }
}

void RecordGrid::keyPressEvent(QKeyEvent* event) {
    guarded([&] {
        // Any other key, typing and editing keys included, does nothing here.
        event->setAccepted(handleKey(event->key(), event->modifiers() & Qt::ControlModifier));
    });
}

void RecordGrid::mousePressEvent(QMouseEvent* event) {
    guarded([&] {
        if (event->button() != Qt::LeftButton) {
            return;
        }
        selectRow(static_cast<int>(event->position().y()) / rowPitch());
    });
}

void RecordGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    guarded([&] {
        // The first click of the two has chosen the row already.
        if (event->button() == Qt::LeftButton) {
            emit doubleClicked();
        }
    });
}

void RecordGrid::wheelEvent(QWheelEvent* event) {
    guarded([&] {
        wheelAngle_ += event->angleDelta().y();
        const int steps = wheelAngle_ / kWheelStep;
        wheelAngle_ -= steps * kWheelStep;
        if (steps != 0) {
            move([&](auto& file) { rows_.moveBy(file, -steps); });
        }
        event->accept();
    });
}

void RecordGrid::resizeEvent(QResizeEvent* event) {
    guarded([&] {
        QAbstractScrollArea::resizeEvent(event);
        layoutRows();
    });
}

void RecordGrid::scrollContentsBy(int /*dx*/, int /*dy*/) {
    viewport()->update();
}

void RecordGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    // The focus is on the current row.
    guarded([&] { announceCurrentRow(firstShown()); });
    viewport()->update();
}

void RecordGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void RecordGrid::paintEvent(QPaintEvent* /*event*/) {
    guarded([&] {
        QPainter painter(viewport());
        painter.fillRect(viewport()->rect(), palette().base());
        for (int row = 0; row < rowCount(); ++row) {
            paintRow(painter, row, row * rowPitch());
        }
    });
}

void RecordGrid::paintRow(QPainter& painter, int row, int top) const {
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    const int left = -horizontalScrollBar()->value();
    const int height = cellHeight();
    const bool selected = row == currentRow();
    if (selected) {
        painter.fillRect(QRect(left, top, columnsWidth(), height),
                         palette().brush(group, QPalette::Highlight));
    }
    const QColor text =
        palette().color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    const QColor line = palette().color(group, QPalette::Mid);
    int x = left;
    for (int column = 0; column < static_cast<int>(columns_.size()); ++column) {
        const Column& shown = columns_[column];
        if (!shown.declared.visible) {
            continue;
        }
        const QRect cell(x, top, shown.width, height);
        painter.setPen(text);
        painter.drawText(cell.adjusted(kCellPadding, 0, -kCellPadding, 0),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         cellText(row, column));
        x += shown.width;
        painter.setPen(line);
        painter.drawLine(x, top, x, top + height);
        x += kGridLine;
    }
    painter.setPen(line);
    painter.drawLine(left, top + height, x - 1, top + height);
}

}  // namespace veltrop
