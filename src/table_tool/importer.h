#pragma once

#include <string>
#include <vector>

#include "engine/table_file.h"

namespace veltrop::table_tool {

struct ImportOptions {
    std::string format = "auto";
    bool cut = false;
    bool keepDuplicates = false;
    bool dryRun = false;
};

struct ImportReport {
    long imported = 0;
    long duplicates = 0;
    long notRecords = 0;
    std::vector<std::string> cuts;  // one line per cut value, never the value
};

// Adds the records of an export file to the table, all of them or none: the file is
// checked whole before anything is written, then written in one transaction. A value
// longer than its field fails the import unless options.cut.
ImportReport importRecords(engine::TableFile& table, const std::string& fileName,
                           const ImportOptions& options);

}  // namespace veltrop::table_tool
