#pragma once

#include <QStringView>

namespace veltrop {

// Characters as the fields count them: Unicode code points of UTF-16 text, where a
// surrogate pair is one character and half a pair on its own is one too.

// Whether text[at] and text[at + 1] are a surrogate pair.
bool isPairAt(QStringView text, qsizetype at);
// Whether `at` falls between the two halves of a pair.
bool splitsPair(QStringView text, qsizetype at);
qsizetype codePointCount(QStringView text);
// The first `count` characters of the text, never half of one.
QStringView firstCodePoints(QStringView text, qsizetype count);
// Whether the text holds half a surrogate pair on its own.
bool hasLoneSurrogate(QStringView text);

}  // namespace veltrop
