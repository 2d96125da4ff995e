// The input becomes text set into each field of a record being inserted, and typed or
// pasted into a line edit holding a field's size, as the editors limit it. Every cut
// stays within the size, never splits a character and keeps all of the text that fits.
//
// The first byte says how the rest reads: bit 0 set, as UTF-16 code units as they come
// (lone surrogates and all), otherwise as UTF-8. The next three place the split between
// the text already in the line edit and the text inserted, and the selection it replaces.
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <limits>

#include "editors/code_point_limit.h"
#include "engine/session.h"
#include "scratch_folder.h"
#include "store/credential_table.h"
#include "store/table.h"

namespace {

using namespace veltrop;

const fuzz::ScratchFolder folder;
Table* table;
QLineEdit* edit;
CodePointLimit* limit;

qsizetype codePoints(const QString& text) {
    return text.toUcs4().size();
}

qsizetype loneSurrogates(const QString& text) {
    qsizetype lone = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
            text.at(i + 1).isLowSurrogate()) {
            ++i;
        } else {
            lone += text.at(i).isSurrogate();
        }
    }
    return lone;
}

bool splitsPair(const QString& text, qsizetype at) {
    return at > 0 && at < text.size() && text.at(at - 1).isHighSurrogate() &&
           text.at(at).isLowSurrogate();
}

// kept must be the longest start of whole characters of text for which the whole value,
// as measure counts it, stays within size characters (or within what it had, when that
// was already more).
template <typename Measure>
void checkKeptStart(const QString& text, const QString& kept, qsizetype size, Measure measure,
                    const char* where) {
    if (!text.startsWith(kept) || splitsPair(text, kept.size())) {
        fuzz::violated(std::string(where) + ": the text kept is not a start of whole characters");
    }
    if (measure(kept) > std::max(size, measure(QString()))) {
        fuzz::violated(std::string(where) + ": more characters kept than fit");
    }
    if (kept.size() < text.size() && measure(kept) < size) {
        fuzz::violated(std::string(where) + ": a character that fits was dropped");
    }
}

void checkFieldCut(const QString& text) {
    for (int index = 0; index < table->fieldCount(); ++index) {
        Field& field = table->field(index);
        field.setAsString(text);
        const QString kept = field.asString();
        if (!field.isMemo()) {
            checkKeptStart(text, kept, field.size(), codePoints, "Field::setAsString");
        } else if (kept != text) {
            fuzz::violated("a memo did not keep the whole text");
        }
    }
}

qsizetype wholeCharacterAt(const QString& text, qsizetype at) {
    return splitsPair(text, at) ? at - 1 : at;
}

void checkTyped(const QString& before, const QString& inserted, std::uint8_t start,
                std::uint8_t end, int size) {
    limit->setLimit(0);
    edit->setText(before);
    limit->setLimit(size);
    const qsizetype from = wholeCharacterAt(before, start % (before.size() + 1));
    const qsizetype to =
        wholeCharacterAt(before, std::max<qsizetype>(from, end % (before.size() + 1)));
    edit->setCursorPosition(static_cast<int>(from));
    edit->setSelection(static_cast<int>(from), static_cast<int>(to - from));
    edit->insert(inserted);

    const QString head = before.left(from);
    const QString tail = before.mid(to);
    const QString result = edit->text();
    const QString whole = head + inserted + tail;
    if (codePoints(whole) <= std::max<qsizetype>(size, codePoints(before))) {
        if (result != whole) {
            fuzz::violated("an insertion that fits was changed");
        }
        return;
    }
    if (codePoints(result) > std::max<qsizetype>(size, codePoints(head + tail))) {
        fuzz::violated("an insertion made the text longer than its field");
    }
    if (!result.startsWith(head) || !result.endsWith(tail) ||
        result.size() < head.size() + tail.size()) {
        fuzz::violated("the text around an insertion changed");
    }
    const QString kept = result.mid(head.size(), result.size() - head.size() - tail.size());
    // Counted apart, as halves of pairs from both sides of a cut must not join.
    checkKeptStart(
        inserted, kept, size,
        [&](const QString& part) { return codePoints(head) + codePoints(part) + codePoints(tail); },
        "CodePointLimit on insert");

    // The same text committed by an input method, in place of the insertion.
    edit->setText(result);
    edit->setCursorPosition(static_cast<int>(head.size()));
    QInputMethodEvent commit;
    commit.setCommitString(inserted, 0, static_cast<int>(kept.size()));
    QCoreApplication::sendEvent(edit, &commit);
    const QString committed = edit->text();
    const QString uncut = head + inserted + result.mid(head.size() + kept.size());
    if (codePoints(committed) > std::max<qsizetype>(size, codePoints(result)) ||
        (committed != result && loneSurrogates(committed) > loneSurrogates(uncut))) {
        fuzz::violated("CodePointLimit on an input method's text: too long, or a split character");
    }
}

QString decoded(const std::uint8_t* data, std::size_t size, bool utf16) {
    if (utf16) {
        return QString(reinterpret_cast<const QChar*>(data), static_cast<qsizetype>(size / 2));
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    new QApplication(*argc, *argv);
    const fuzz::InsideFolder inside(folder);
    auto* session = new engine::Session;
    session->createTable(credentials::kFileName, credentials::definition());
    table = new Table("Table1", *session, credentials::kFileName, credentials::definition());
    table->open();
    table->Insert();
    edit = new QLineEdit;
    // As the editors set it: the limit that counts is the validator's, in characters.
    edit->setMaxLength(std::numeric_limits<int>::max());
    limit = new CodePointLimit(*edit);
    edit->setValidator(limit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    const QString text = decoded(data + 4, size - 4, data[0] & 1);
    checkFieldCut(text);
    const qsizetype split = wholeCharacterAt(text, data[1] % (text.size() + 1));
    for (int index = 0; index < table->fieldCount(); ++index) {
        if (!table->field(index).isMemo()) {
            checkTyped(text.left(split), text.mid(split), data[2], data[3],
                       table->field(index).size());
        }
    }
    return 0;
}
