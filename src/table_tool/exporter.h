#pragma once

#include <cstdio>
#include <string>

#include "engine/table_file.h"

namespace veltrop::table_tool {

enum class ExportFormat { Csv, Json };

// Writes every record in table order: CSV with the field names as header row, or a
// JSON array of objects keyed by field name. Reads the table a batch at a time, so
// memory stays small whatever its size. Returns the number of records written.
long exportRecords(engine::TableFile& table, ExportFormat format, std::FILE* out);

}  // namespace veltrop::table_tool
