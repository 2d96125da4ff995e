#pragma once

#include <cstdio>
#include <string>

#include "engine/table_file.h"

namespace veltrop::table_tool {

enum class ExportFormat { Csv, Json };

struct ExportReport {
    long written = 0;
    // Values a spreadsheet would take for a formula: they start with = + - @, a tab or a
    // carriage return. With spreadsheetSafe, they were written after a "'".
    long formulaLike = 0;
};

// Writes every record in table order: CSV with the field names as header row, or a
// JSON array of objects keyed by field name, each value as it is stored unless
// spreadsheetSafe. Reads the table a batch at a time, so memory stays small whatever
// its size.
ExportReport exportRecords(engine::TableFile& table, ExportFormat format, std::FILE* out,
                           bool spreadsheetSafe = false);

}  // namespace veltrop::table_tool
