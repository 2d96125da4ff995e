#include "table_tool/merger.h"

#include "engine/record_match.h"

namespace veltrop::table_tool {

namespace {

constexpr int kLoginFields = 3;  // DESCRIPTION, URL, LOGIN ID

std::string named(const engine::RawRecord& record) {
    return "\"" + record.at(0) + "\" (" + record.at(1) + ", " + record.at(2) + ")";
}

bool sameLogin(engine::TableFile& table, const engine::RawRecord& record) {
    std::vector<int> fields;
    std::vector<std::string> values;
    for (int field = 0; field < kLoginFields; ++field) {
        fields.push_back(field);
        values.push_back(record.at(field));
    }
    return table.find(fields, values, {}).has_value();
}

}  // namespace

void mergeRecords(engine::TableFile& table, engine::TableFile& other, const std::string& otherName,
                  MergeReport& report) {
    const std::string from = " from " + otherName;
    other.forEachRecord([&](const engine::RecordRow& row) {
        const engine::RawRecord& record = row.values;
        if (engine::findSameRecord(table, record)) {
            ++report.skipped;
        } else if (engine::findSameTextFields(table, record)) {
            engine::addOrJoin(table, record);
            ++report.notesJoined;
            report.listed.push_back("note joined: " + named(record) + from);
        } else if (sameLogin(table, record)) {
            table.insert(record);
            ++report.conflicts;
            report.listed.push_back("conflict, two passwords kept: " + named(record) + from);
        } else {
            table.insert(record);
            ++report.added;
        }
    });
}

}  // namespace veltrop::table_tool
