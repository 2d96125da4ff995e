#include "table_tool/importer.h"

#include <algorithm>
#include <cstdint>
#include <functional>

#include "table_tool/record_source.h"
#include "table_tool/table_fields.h"
#include "table_tool/tool_error.h"
#include "table_tool/utf8_text.h"

namespace veltrop::table_tool {

namespace {

struct OverLong {
    long line;
    std::size_t field;
    std::size_t length;
};

// The text fields' sizes; 0 for a memo, which the editors do not limit.
std::vector<std::size_t> fieldSizes(const engine::TableDefinition& definition) {
    std::vector<std::size_t> sizes;
    for (const auto& field : definition.fields) {
        sizes.push_back(field.kind == engine::FieldKind::Text ? static_cast<std::size_t>(field.size)
                                                              : 0);
    }
    return sizes;
}

template <typename Visit>
void forEachOverLong(const SourceRecord& record, const std::vector<std::size_t>& sizes,
                     Visit visit) {
    for (std::size_t field = 0; field < fieldNames().size(); ++field) {
        if (sizes[field] == 0) {
            continue;
        }
        const std::size_t length = characterCount(record.values[field]);
        if (length > sizes[field]) {
            visit(OverLong{record.line, field, length});
        }
    }
}

[[noreturn]] void failOverLong(const std::string& fileName, const std::vector<OverLong>& found,
                               const std::vector<std::size_t>& sizes) {
    std::vector<std::size_t> needed(fieldNames().size(), 0);
    std::string list;
    for (const OverLong& value : found) {
        needed[value.field] = std::max(needed[value.field], value.length);
        list += "\n  line " + std::to_string(value.line) + ": " + fieldNames()[value.field] +
                " has " + std::to_string(value.length) + " characters, the field holds " +
                std::to_string(sizes[value.field]);
    }
    std::string resize;
    for (std::size_t field = 0; field < fieldNames().size(); ++field) {
        if (needed[field]) {
            resize += " \"" + fieldNames()[field] + "=" +
                      std::to_string(std::min<std::size_t>(needed[field], kWidestField)) + "\"";
        }
    }
    throw ToolError(fileName + ": " + std::to_string(found.size()) +
                    " values are longer than their fields; nothing was imported. Widen the "
                    "fields (veltrop-table resize" +
                    resize + ") or give --cut to cut them and keep them whole in NOTE:" + list);
}

std::size_t keyHash(const engine::RawRecord& values) {
    std::string key;
    for (std::size_t field = 0; field < kKeyFieldCount; ++field) {
        key += values[field];
        key += '\0';
    }
    return std::hash<std::string>{}(key);
}

// The four key fields of every record seen, as one bit each in a table of fixed size:
// a cheap first test for duplicates, confirmed by a search only when the bit is set.
// Its size does not grow with the table, so an import's memory stays the same.
class KeyFilter {
public:
    KeyFilter() : bits_(kWords, 0) {}
    void add(const engine::RawRecord& values) {
        const std::size_t bit = keyHash(values) % (kWords * 64);
        bits_[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
    bool mayHold(const engine::RawRecord& values) const {
        const std::size_t bit = keyHash(values) % (kWords * 64);
        return (bits_[bit / 64] >> (bit % 64)) & 1;
    }

private:
    static constexpr std::size_t kWords = std::size_t{1} << 20;  // 8 MiB
    std::vector<std::uint64_t> bits_;
};

KeyFilter existingKeys(engine::TableFile& table) {
    KeyFilter keys;
    table.forEachRecord([&](const engine::RecordRow& row) { keys.add(row.values); });
    return keys;
}

class Writer {
public:
    Writer(engine::TableFile& table, const ImportOptions& options, ImportReport& report)
        : table_(table),
          options_(options),
          report_(report),
          sizes_(fieldSizes(table.definition())),
          keys_(existingKeys(table)) {}

    void add(const SourceRecord& source) {
        engine::RawRecord values = source.values;
        forEachOverLong(source, sizes_, [&](const OverLong& value) {
            std::string& text = values[value.field];
            std::string& note = values[kNoteField];
            note += (note.empty() ? "" : "\n") + fieldNames()[value.field] + ": " + text;
            text = std::string(firstCharacters(text, sizes_[value.field]));
            report_.cuts.push_back(
                "line " + std::to_string(source.line) + ": " + fieldNames()[value.field] +
                " cut from " + std::to_string(value.length) + " to " +
                std::to_string(sizes_[value.field]) + " characters, kept whole in NOTE");
        });
        if (!options_.keepDuplicates && isDuplicate(values)) {
            ++report_.duplicates;
            return;
        }
        table_.insert(values);
        keys_.add(values);
        ++report_.imported;
    }

private:
    bool isDuplicate(const engine::RawRecord& values) {
        if (!keys_.mayHold(values)) {
            return false;
        }
        const std::vector<int> fields{0, 1, 2, 3};
        return table_.find(fields, {values.begin(), values.begin() + kKeyFieldCount}, {})
            .has_value();
    }

    engine::TableFile& table_;
    const ImportOptions& options_;
    ImportReport& report_;
    std::vector<std::size_t> sizes_;
    KeyFilter keys_;
};

}  // namespace

ImportReport importRecords(engine::TableFile& table, const std::string& fileName,
                           const ImportOptions& options) {
    const std::vector<std::size_t> sizes = fieldSizes(table.definition());
    std::vector<OverLong> overLong;
    readRecords(fileName, options.format, [&](const SourceRecord& record) {
        forEachOverLong(record, sizes, [&](const OverLong& value) { overLong.push_back(value); });
    });
    if (!overLong.empty() && !options.cut) {
        failOverLong(fileName, overLong, sizes);
    }

    ImportReport report;
    table.begin();
    try {
        Writer writer(table, options, report);
        report.notRecords = readRecords(fileName, options.format, [&](const SourceRecord& record) {
                                writer.add(record);
                            }).notRecords;
        if (options.dryRun) {
            table.rollback();
        } else {
            table.commit();
        }
    } catch (...) {
        try {
            table.rollback();
        } catch (const Error&) {
            // The storage library has rolled back already when a write failed.
        }
        throw;
    }
    return report;
}

}  // namespace veltrop::table_tool
