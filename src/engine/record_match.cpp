#include "engine/record_match.h"

#include <vector>

namespace veltrop::engine {

namespace {

std::optional<RecordNumber> findByFields(TableFile& file, const RawRecord& values, bool withMemos) {
    std::vector<int> fields;
    std::vector<std::string> keys;
    const auto& definition = file.definition().fields;
    for (size_t i = 0; i < definition.size(); ++i) {
        if (withMemos || definition[i].kind == FieldKind::Text) {
            fields.push_back(static_cast<int>(i));
            keys.push_back(i < values.size() ? values[i] : std::string());
        }
    }
    return file.find(fields, keys, {});
}

std::optional<int> memoField(const TableFile& file) {
    const auto& definition = file.definition().fields;
    for (size_t i = 0; i < definition.size(); ++i) {
        if (definition[i].kind == FieldKind::Memo) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

// Whether the part is empty or stands in the text as whole lines: a note joined before
// is not joined again.
bool holdsLines(const std::string& text, const std::string& part) {
    if (part.empty() || text == part) {
        return true;
    }
    const std::string framed = "\n" + text + "\n";
    return framed.find("\n" + part + "\n") != std::string::npos;
}

}  // namespace

std::optional<RecordNumber> findSameRecord(TableFile& file, const RawRecord& values) {
    return findByFields(file, values, true);
}

std::optional<RecordNumber> findSameTextFields(TableFile& file, const RawRecord& values) {
    return findByFields(file, values, false);
}

std::string joinNotes(const std::string& kept, const std::string& added) {
    if (holdsLines(kept, added)) {
        return kept;
    }
    if (holdsLines(added, kept)) {
        return added;
    }
    return kept + "\n" + added;
}

RecordNumber addOrJoin(TableFile& file, const RawRecord& values) {
    const auto memo = memoField(file);
    const auto same = memo ? findSameTextFields(file, values) : findSameRecord(file, values);
    if (!same) {
        return file.insert(values);
    }
    if (memo) {
        const auto stored = file.read(*same);
        const std::string note = stored ? stored->at(*memo) : std::string();
        const std::string joined =
            joinNotes(note, static_cast<size_t>(*memo) < values.size() ? values[*memo] : "");
        if (joined != note) {
            file.update(*same, {{*memo, joined}});
        }
    }
    return *same;
}

}  // namespace veltrop::engine
