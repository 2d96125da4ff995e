#include "store/field.h"

#include "store/code_points.h"
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
    table_.assign(index_, isMemo() ? text : firstCodePoints(text, size()).toString());
}

}  // namespace veltrop
