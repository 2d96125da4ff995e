#include "random_text.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "store/credential_table.h"

namespace veltrop::testing {

namespace {

// Characters of one code point, and characters made of several.
constexpr std::u32string_view kSingles =
    U"abkxZQ07 ./:@-_%;'\"\u00E9\u00DF\u0416\u4E2D\u200B\U0001F600\U0001F510";
constexpr std::array<std::u32string_view, 3> kClusters = {U"e\u0301", U"o\u0308",
                                                          U"\U0001F469\u200D\U0001F4BB"};
constexpr std::array<std::u32string_view, 3> kLineBreaks = {U"\n", U"\r\n", U"\t"};

template <typename Items>
auto any(Random& rng, const Items& items) {
    return items[pick(rng, static_cast<int>(items.size()))];
}

int codePointTarget(Random& rng, int size) {
    switch (pick(rng, 10)) {
        case 0:
        case 1:
            return 0;
        case 2:
        case 3:
        case 4:
            return 1 + pick(rng, 8);
        case 5:
        case 6:
        case 7:
            return size - 3 + pick(rng, 7);
        default:
            return size + 1 + pick(rng, size + 10);
    }
}

}  // namespace

int pick(Random& rng, int count) {
    return static_cast<int>(rng() % static_cast<unsigned>(count));
}

bool chance(Random& rng, int percent) {
    return pick(rng, 100) < percent;
}

QString randomFieldText(Random& rng, int field) {
    const engine::FieldDefinition& definition = credentials::definition().fields.at(field);
    const bool note = definition.kind == engine::FieldKind::Memo;
    const int target = codePointTarget(rng, definition.size);
    std::u32string text;
    while (static_cast<int>(text.size()) < target) {
        const int roll = pick(rng, 100);
        if (note && roll < 8) {
            text += any(rng, kLineBreaks);
        } else if (roll == 8) {
            // Binary junk pasted into an editor.
            text += U'\0';
        } else if (roll < 20) {
            text += any(rng, kClusters);
        } else {
            text += any(rng, kSingles);
        }
    }
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList nearMissKey(Random& rng, QStringList key) {
    QString& value = key[pick(rng, static_cast<int>(key.size()))];
    switch (pick(rng, 3)) {
        case 0: {
            QString other = value.toUpper() == value ? value.toLower() : value.toUpper();
            value = other == value ? value + "q" : other;
            break;
        }
        case 1:
            if (value.contains(QChar(0x00E9))) {
                value.replace(QChar(0x00E9), QStringLiteral("e\u0301"));
            } else {
                value += QChar(0x00E9);
            }
            break;
        default:
            value += ' ';
            break;
    }
    return key;
}

std::string printable(const QString& text) {
    std::string out;
    for (char32_t codePoint : text.toUcs4()) {
        if (codePoint >= 0x20 && codePoint < 0x7F && codePoint != '\\') {
            out += static_cast<char>(codePoint);
        } else {
            char escaped[16];
            std::snprintf(escaped, sizeof escaped, "\\u{%X}", static_cast<unsigned>(codePoint));
            out += escaped;
        }
    }
    return out;
}

}  // namespace veltrop::testing
