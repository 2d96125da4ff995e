#pragma once

#include <string>
#include <vector>

#include "engine/table_file.h"

namespace veltrop::table_tool {

struct MergeReport {
    long added = 0;
    long skipped = 0;  // equal in every field to a record already there
    long notesJoined = 0;
    long conflicts = 0;
    // One line per record the user should look at, naming it without its password.
    std::vector<std::string> listed;
};

// Brings the records of another table into the table. The table has no record
// identifiers, so records are matched by their fields:
// - equal in all five fields: skipped;
// - equal in DESCRIPTION, URL, LOGIN ID and PASSWORD, different in NOTE: the note is
//   joined to that record's (two records equal in the four could not both be reached
//   from the selection window); listed;
// - equal in DESCRIPTION, URL and LOGIN ID, different in PASSWORD: added beside it,
//   and both listed as a conflict for the user to settle;
// - anything else: added.
// The caller groups the calls into one transaction.
void mergeRecords(engine::TableFile& table, engine::TableFile& other, const std::string& otherName,
                  MergeReport& report);

}  // namespace veltrop::table_tool
