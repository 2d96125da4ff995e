#pragma once

#include <string>

namespace veltrop::engine {

// CREATE TABLE records (column type(size) ..., ...): columns with their declared types
// and the record number's key clause; nothing computed, no constraint that runs an
// expression.
bool isRecordsStatement(const std::string& sql);

// CREATE [UNIQUE] INDEX name ON records (column [COLLATE name] [ASC|DESC]): one field, no
// expression, no condition.
bool isIndexStatement(const std::string& sql);

}  // namespace veltrop::engine
