#pragma once

#include <QString>
#include <QStringList>
#include <random>
#include <string>

namespace veltrop::testing {

using Random = std::mt19937_64;

// 0 .. count-1, the same on every standard library for a given seed.
int pick(Random& rng, int count);
bool chance(Random& rng, int percent);

// A value for the field: empty, short, around the field's size or far beyond it, mixing
// ASCII with accented letters, combining marks, CJK, emoji and joined emoji (a note also
// gets line breaks and tabs).
QString randomFieldText(Random& rng, int field);

// Key values with one of them changed the way a near miss looks: other case, the accent
// decomposed, a blank added.
QStringList nearMissKey(Random& rng, QStringList key);

// Text for traces: printable ASCII as is, everything else as \u{hex}.
std::string printable(const QString& text);

}  // namespace veltrop::testing
