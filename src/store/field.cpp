#include "store/field.h"

#include "store/table.h"

namespace veltrop {

engine::FieldKind Field::kind() const {
    return table_.definition().fields.at(index_).kind;
}

int Field::size() const {
    return isMemo() ? 0 : table_.definition().fields.at(index_).size;
}

QString Field::asString() const {
    return table_.valueText(index_);
}

void Field::setAsString(const QString& text) {
    table_.assign(index_, isMemo() ? text : cutToSize(text, size()));
}

QString Field::cutToSize(const QString& text, int size) {
    qsizetype end = 0;
    for (int characters = 0; characters < size && end < text.size(); ++characters) {
        end += text.at(end).isHighSurrogate() && end + 1 < text.size() &&
                       text.at(end + 1).isLowSurrogate()
                   ? 2
                   : 1;
    }
    return text.left(end);
}

}  // namespace veltrop
