#include "main_window/one_line_memo.h"

#include <QEvent>
#include <algorithm>

#include "core/guard.h"

namespace veltrop {

namespace {
constexpr int kMargin = 1;
}

OneLineMemo::OneLineMemo(int height, QWidget* parent) : DBMemo(parent) {
    setFixedHeight(height);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(kMargin);
    fitOneLine();
}

void OneLineMemo::changeEvent(QEvent* event) {
    DBMemo::changeEvent(event);
    guarded([&] {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
            fitOneLine();
        }
    });
}

void OneLineMemo::fitOneLine() {
    // The next line starts right below the visible part, so none of it shows.
    const int inner = height() - 2 * frameWidth();
    const int spare = std::max(0, inner - (kMargin + fontMetrics().lineSpacing()));
    setViewportMargins(0, spare / 2, 0, spare - spare / 2);
}

}  // namespace veltrop
