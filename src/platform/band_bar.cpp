#include "platform/band_bar.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <stdexcept>

#include "core/guard.h"
#include "platform/band_row.h"

namespace veltrop {

namespace {
constexpr int kGripArea = 9;  // border, grip ridge and the space before the caption
constexpr int kGripInset = 3;
constexpr int kChildGap = 3;  // right of each control; the handle for the edge after it
constexpr int kRowGap = 2;
}  // namespace

BandBar::BandBar(QWidget* parent) : QWidget(parent) {
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void BandBar::addBand(const QString& caption, QWidget* control, int width, int minHeight,
                      bool newRow) {
    control->setParent(this);
    Band band{caption, control, width, minHeight, {}};
    if (newRow || rows_.empty()) {
        rows_.push_back(Row{band});
    } else {
        rows_.back().push_back(band);
    }
    control->show();
    relayout();
}

int BandBar::bandCount() const {
    int count = 0;
    for (const Row& row : rows_) {
        count += static_cast<int>(row.size());
    }
    return count;
}

int BandBar::bandOf(const QWidget* control) const {
    for (int band = 0; band < bandCount(); ++band) {
        if (bandAt(band).control == control) {
            return band;
        }
    }
    return -1;
}

QWidget* BandBar::control(int band) const {
    return bandAt(band).control;
}

QString BandBar::caption(int band) const {
    return bandAt(band).caption;
}

int BandBar::bandWidth(int band) const {
    return bandAt(band).width;
}

int BandBar::rowCount() const {
    return static_cast<int>(rows_.size());
}

int BandBar::rowOf(int band) const {
    return static_cast<int>(place(band).row);
}

QRect BandBar::bandRect(int band) const {
    return bandAt(band).rect;
}

QRect BandBar::headerRect(int band) const {
    const Band& b = bandAt(band);
    QRect header = b.rect;
    header.setWidth(headerWidth(b));
    return header;
}

void BandBar::maximizeBand(int band) {
    const Place p = place(band);
    Row& row = rows_[p.row];
    setWidths(row, band_row::maximize(minimums(row), width(), static_cast<int>(p.index)));
    relayout();
}

void BandBar::setContextMenu(QMenu* menu) {
    menu_ = menu;
}

QSize BandBar::sizeHint() const {
    int widest = 0;
    for (const Row& row : rows_) {
        int sum = 0;
        for (const Band& band : row) {
            sum += std::max(band.width, minimumWidth(band));
        }
        widest = std::max(widest, sum);
    }
    return {widest, minimumSizeHint().height()};
}

QSize BandBar::minimumSizeHint() const {
    int widest = 0;
    int height = 0;
    for (const Row& row : rows_) {
        const std::vector<int> least = minimums(row);
        int sum = 0;
        for (int w : least) {
            sum += w;
        }
        widest = std::max(widest, sum);
        height += rowHeight(row) + kRowGap;
    }
    return {widest, rows_.empty() ? 0 : height - kRowGap};
}

void BandBar::paintEvent(QPaintEvent*) {
    guarded([&] {
        QPainter painter(this);
        const QPalette& colours = palette();
        for (std::size_t r = 0; r < rows_.size(); ++r) {
            const Row& row = rows_[r];
            const int top = row.front().rect.top();
            if (r > 0) {
                painter.setPen(colours.color(QPalette::Dark));
                painter.drawLine(0, top - 2, width(), top - 2);
                painter.setPen(colours.color(QPalette::Light));
                painter.drawLine(0, top - 1, width(), top - 1);
            }
            for (std::size_t i = 0; i < row.size(); ++i) {
                const QRect& rect = row[i].rect;
                if (i > 0) {
                    painter.setPen(colours.color(QPalette::Dark));
                    painter.drawLine(rect.left(), rect.top(), rect.left(), rect.bottom());
                    painter.setPen(colours.color(QPalette::Light));
                    painter.drawLine(rect.left() + 1, rect.top(), rect.left() + 1, rect.bottom());
                }
                const int grip = rect.left() + kGripInset;
                painter.setPen(colours.color(QPalette::Light));
                painter.drawLine(grip, rect.top() + 2, grip, rect.bottom() - 2);
                painter.setPen(colours.color(QPalette::Dark));
                painter.drawLine(grip + 1, rect.top() + 2, grip + 1, rect.bottom() - 2);
                if (!row[i].caption.isEmpty()) {
                    painter.setPen(colours.color(QPalette::ButtonText));
                    const QRect text(rect.left() + kGripArea, rect.top(),
                                     headerWidth(row[i]) - kGripArea, rect.height());
                    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, row[i].caption);
                }
            }
        }
    });
}

void BandBar::resizeEvent(QResizeEvent*) {
    guarded([&] { relayout(); });
}

void BandBar::changeEvent(QEvent* event) {
    guarded([&] {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
            relayout();
        }
    });
    QWidget::changeEvent(event);
}

void BandBar::mousePressEvent(QMouseEvent* event) {
    guarded([&] {
        if (event->button() != Qt::LeftButton) {
            event->ignore();
            return;
        }
        const QPoint pos = event->position().toPoint();
        if (const auto edge = edgeAt(pos)) {
            const Band& band = rows_[edge->row][edge->index];
            drag_ = Drag{Grab::Edge, band.control, pos, pos.x() - (band.rect.right() + 1), false};
        } else if (const auto header = headerAt(pos)) {
            const Band& band = rows_[header->row][header->index];
            drag_ = Drag{Grab::Header, band.control, pos, pos.x() - band.rect.left(), false};
        }
    });
}

void BandBar::mouseMoveEvent(QMouseEvent* event) {
    guarded([&] {
        const QPoint pos = event->position().toPoint();
        if (!drag_) {
            updateCursor(pos);
            return;
        }
        if (!drag_->moved &&
            (pos - drag_->pressPos).manhattanLength() < QApplication::startDragDistance()) {
            return;
        }
        drag_->moved = true;
        if (drag_->grab == Grab::Header) {
            dragHeader(*drag_, pos);
        } else {
            dragEdge(*drag_, pos);
        }
    });
}

void BandBar::mouseReleaseEvent(QMouseEvent* event) {
    guarded([&] {
        if (event->button() != Qt::LeftButton || !drag_) {
            return;
        }
        const Drag drag = *drag_;
        drag_.reset();
        if (drag.grab == Grab::Header && !drag.moved) {
            maximizeBand(bandOf(drag.control));
        }
    });
}

void BandBar::contextMenuEvent(QContextMenuEvent* event) {
    guarded([&] {
        if (menu_) {
            menu_->popup(event->globalPos());
            event->accept();
        } else {
            event->ignore();
        }
    });
}

BandBar::Place BandBar::place(int band) const {
    int first = 0;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const int count = static_cast<int>(rows_[r].size());
        if (band >= first && band < first + count) {
            return {r, static_cast<std::size_t>(band - first)};
        }
        first += count;
    }
    throw std::out_of_range("no such band");
}

const BandBar::Band& BandBar::bandAt(int band) const {
    const Place p = place(band);
    return rows_[p.row][p.index];
}

std::optional<BandBar::Place> BandBar::placeOf(const QWidget* control) const {
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        for (std::size_t i = 0; i < rows_[r].size(); ++i) {
            if (rows_[r][i].control == control) {
                return Place{r, i};
            }
        }
    }
    return std::nullopt;
}

std::optional<BandBar::Place> BandBar::headerAt(QPoint pos) const {
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        for (std::size_t i = 0; i < rows_[r].size(); ++i) {
            QRect header = rows_[r][i].rect;
            header.setWidth(headerWidth(rows_[r][i]));
            if (header.contains(pos)) {
                return Place{r, i};
            }
        }
    }
    return std::nullopt;
}

std::optional<BandBar::Place> BandBar::edgeAt(QPoint pos) const {
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        // The last band's right side is the bar's: there is no edge to move there.
        for (std::size_t i = 0; i + 1 < rows_[r].size(); ++i) {
            const QRect& rect = rows_[r][i].rect;
            const QRect handle(rect.right() + 1 - kChildGap, rect.top(), kChildGap, rect.height());
            if (handle.contains(pos)) {
                return Place{r, i};
            }
        }
    }
    return std::nullopt;
}

int BandBar::headerWidth(const Band& band) const {
    return kGripArea + (band.caption.isEmpty() ? 0 : fontMetrics().horizontalAdvance(band.caption));
}

int BandBar::minimumWidth(const Band& band) const {
    return headerWidth(band) + kChildGap + band.control->minimumWidth();
}

std::vector<int> BandBar::minimums(const Row& row) const {
    std::vector<int> least;
    for (const Band& band : row) {
        least.push_back(minimumWidth(band));
    }
    return least;
}

std::vector<int> BandBar::wanted(const Row& row) {
    std::vector<int> widths;
    for (const Band& band : row) {
        widths.push_back(band.width);
    }
    return widths;
}

void BandBar::setWidths(Row& row, const std::vector<int>& widths) {
    for (std::size_t i = 0; i < row.size(); ++i) {
        row[i].width = widths[i];
    }
}

int BandBar::rowHeight(const Row& row) const {
    int height = 0;
    for (const Band& band : row) {
        height = std::max({height, band.minHeight, band.control->minimumHeight()});
    }
    return height;
}

int BandBar::rowAt(int y) const {
    if (y < 0) {
        return -1;
    }
    int bottom = 0;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        bottom += rowHeight(rows_[r]) + kRowGap;
        if (y < bottom) {
            return static_cast<int>(r);
        }
    }
    return static_cast<int>(rows_.size());
}

void BandBar::dragHeader(const Drag& drag, QPoint pos) {
    const Place p = *placeOf(drag.control);
    const int target = rowAt(pos.y());
    if (target != static_cast<int>(p.row)) {
        moveToRow(p, target, pos.x());
        return;
    }
    if (p.index == 0) {
        return;
    }
    const int delta = pos.x() - drag.offset - rows_[p.row][p.index].rect.left();
    moveEdge(p.row, p.index - 1, delta);
}

void BandBar::dragEdge(const Drag& drag, QPoint pos) {
    const Place p = *placeOf(drag.control);
    const int delta = pos.x() - drag.offset - (rows_[p.row][p.index].rect.right() + 1);
    moveEdge(p.row, p.index, delta);
}

void BandBar::moveEdge(std::size_t row, std::size_t left, int delta) {
    Row& bands = rows_[row];
    setWidths(bands, band_row::moveEdge(wanted(bands), minimums(bands), width(),
                                        static_cast<int>(left), delta));
    relayout();
}

void BandBar::moveToRow(Place from, int row, int x) {
    const bool alone = rows_[from.row].size() == 1;
    const int last = static_cast<int>(rows_.size()) - 1;
    // A band alone in the first or last row that is dragged past the bar's side
    // would only open a new row where its own one closes.
    if (alone &&
        ((row < 0 && from.row == 0) || (row > last && static_cast<int>(from.row) == last))) {
        return;
    }
    const Band band = rows_[from.row][from.index];
    rows_[from.row].erase(rows_[from.row].begin() + static_cast<std::ptrdiff_t>(from.index));
    if (alone) {
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(from.row));
        if (row > static_cast<int>(from.row)) {
            --row;
        }
    }
    if (row < 0) {
        rows_.insert(rows_.begin(), Row{band});
    } else if (row >= static_cast<int>(rows_.size())) {
        rows_.push_back(Row{band});
    } else {
        Row& target = rows_[static_cast<std::size_t>(row)];
        const auto at = std::find_if(target.begin(), target.end(), [x](const Band& other) {
            return other.rect.center().x() >= x;
        });
        target.insert(at, band);
    }
    relayout();
}

void BandBar::relayout() {
    int top = 0;
    for (Row& row : rows_) {
        const int height = rowHeight(row);
        const std::vector<int> widths = band_row::fit(wanted(row), minimums(row), width());
        int left = 0;
        for (std::size_t i = 0; i < row.size(); ++i) {
            row[i].rect = QRect(left, top, widths[i], height);
            row[i].control->setGeometry(
                row[i].rect.adjusted(headerWidth(row[i]), 0, -kChildGap, 0));
            left += widths[i];
        }
        top += height + kRowGap;
    }
    const int total = rows_.empty() ? 0 : top - kRowGap;
    if (minimumHeight() != total || maximumHeight() != total) {
        setFixedHeight(total);
    }
    updateGeometry();
    update();
}

void BandBar::updateCursor(QPoint pos) {
    if (edgeAt(pos)) {
        setCursor(Qt::SplitHCursor);
    } else if (headerAt(pos)) {
        setCursor(Qt::SizeAllCursor);
    } else {
        unsetCursor();
    }
}

}  // namespace veltrop
