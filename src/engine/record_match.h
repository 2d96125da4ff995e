#pragma once

#include <optional>
#include <string>

#include "engine/table_file.h"

namespace veltrop::engine {

// The table has no record identifiers: records are told apart by their values.

// The first record in table order equal to the values in every field.
std::optional<RecordNumber> findSameRecord(TableFile& file, const RawRecord& values);

// The first record in table order equal to the values in every text field (the memo
// left out): the fields by which a record is chosen and found again.
std::optional<RecordNumber> findSameTextFields(TableFile& file, const RawRecord& values);

// Two versions of a note in one: the kept note, then the added one on a line of its own,
// unless one already holds the other as whole lines.
std::string joinNotes(const std::string& kept, const std::string& added);

// Stores a record beside those already there. One equal in every text field takes the
// record's note into its own instead, so that both stay reachable by what tells records
// apart. Returns the record that now holds the values.
RecordNumber addOrJoin(TableFile& file, const RawRecord& values);

}  // namespace veltrop::engine
