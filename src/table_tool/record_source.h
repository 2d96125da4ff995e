#pragma once

#include <functional>
#include <string>

#include "engine/table_file.h"

namespace veltrop::table_tool {

// One record to import and the line (for JSON: the record's place) where it starts.
struct SourceRecord {
    long line;
    engine::RawRecord values;  // DESCRIPTION, URL, LOGIN ID, PASSWORD, NOTE
};

struct SourceCounts {
    long records = 0;
    long notRecords = 0;  // rows of other kinds (cards, identities, notes)
};

using RecordHandler = std::function<void(const SourceRecord&)>;

// Reads every record of an export file in order: this tool's JSON, or CSV in the given
// format ("auto" recognises it from the header). Bad input fails with a ToolError
// naming the line.
SourceCounts readRecords(const std::string& fileName, const std::string& format,
                         const RecordHandler& handle);

}  // namespace veltrop::table_tool
