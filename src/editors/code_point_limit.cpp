#include "editors/code_point_limit.h"

#include <QLineEdit>
#include <algorithm>

#include "store/code_points.h"

namespace veltrop {

CodePointLimit::CodePointLimit(QLineEdit& edit) : edit_(edit) {
    connect(&edit_, &QLineEdit::textChanged, this, &CodePointLimit::rememberText);
    connect(&edit_, &QLineEdit::selectionChanged, this, &CodePointLimit::rememberSelection);
    connect(&edit_, &QLineEdit::cursorPositionChanged, this, &CodePointLimit::rememberSelection);
    rememberText();
}

// The line edit tells of a change once it has validated it, so what is remembered
// here is the state before the next change when that is validated.
void CodePointLimit::rememberText() {
    before_ = edit_.text();
    rememberSelection();
}

void CodePointLimit::rememberSelection() {
    // An input method moves the caret while its change is still being made.
    if (edit_.text() != before_) {
        return;
    }
    if (edit_.hasSelectedText()) {
        selectionStart_ = edit_.selectionStart();
        selectionEnd_ = edit_.selectionEnd();
    } else {
        selectionStart_ = selectionEnd_ = edit_.cursorPosition();
    }
}

// The input is the text before with its selection (or nothing at the cursor)
// replaced by the inserted text. When it is not, the change came some other way
// (an input method, a drop): take what differs between the two texts.
CodePointLimit::Range CodePointLimit::insertedRange(const QString& input) const {
    const QStringView head = QStringView(before_).left(selectionStart_);
    const QStringView tail = QStringView(before_).mid(selectionEnd_);
    if (input.size() >= head.size() + tail.size() && input.startsWith(head) &&
        input.endsWith(tail)) {
        return {head.size(), input.size() - tail.size()};
    }
    const qsizetype shorter = std::min(input.size(), before_.size());
    qsizetype start = 0;
    while (start < shorter && input.at(start) == before_.at(start)) {
        ++start;
    }
    qsizetype common = 0;
    while (common < shorter - start &&
           input.at(input.size() - 1 - common) == before_.at(before_.size() - 1 - common)) {
        ++common;
    }
    Range range{start, input.size() - common};
    if (splitsPair(input, range.start)) {
        --range.start;
    }
    if (splitsPair(input, range.end)) {
        ++range.end;
    }
    return range;
}

QValidator::State CodePointLimit::validate(QString& input, int& pos) const {
    const qsizetype length = codePointCount(input);
    if (limit_ <= 0 || length <= limit_ || length <= codePointCount(before_)) {
        return Acceptable;
    }
    const Range inserted = insertedRange(input);
    const QStringView insertion =
        QStringView(input).mid(inserted.start, inserted.end - inserted.start);
    // The text around the insertion counted on its own: half a pair at an edge of the
    // insertion pairs up with a lone half beside it in the input, and no more once cut.
    const qsizetype room = limit_ - codePointCount(QStringView(input).left(inserted.start)) -
                           codePointCount(QStringView(input).mid(inserted.end));
    const QString kept = room > 0 ? firstCodePoints(insertion, room).toString() : QString();
    input = input.left(inserted.start) + kept + input.mid(inserted.end);
    pos = static_cast<int>(inserted.start + kept.size());
    return input == before_ ? Invalid : Acceptable;
}

}  // namespace veltrop
