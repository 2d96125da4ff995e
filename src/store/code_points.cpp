#include "store/code_points.h"

namespace veltrop {

bool isPairAt(QStringView text, qsizetype at) {
    return at >= 0 && at + 1 < text.size() && text.at(at).isHighSurrogate() &&
           text.at(at + 1).isLowSurrogate();
}

bool splitsPair(QStringView text, qsizetype at) {
    return isPairAt(text, at - 1);
}

qsizetype codePointCount(QStringView text) {
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); i += isPairAt(text, i) ? 2 : 1) {
        ++count;
    }
    return count;
}

QStringView firstCodePoints(QStringView text, qsizetype count) {
    qsizetype end = 0;
    for (qsizetype characters = 0; characters < count && end < text.size(); ++characters) {
        end += isPairAt(text, end) ? 2 : 1;
    }
    return text.left(end);
}

bool hasLoneSurrogate(QStringView text) {
    for (qsizetype i = 0; i < text.size(); i += isPairAt(text, i) ? 2 : 1) {
        if (text.at(i).isSurrogate() && !isPairAt(text, i)) {
            return true;
        }
    }
    return false;
}

}  // namespace veltrop
