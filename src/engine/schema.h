#pragma once

#include <string>
#include <vector>

#include "engine/table_definition.h"

namespace veltrop::engine {

class Connection;

// How a table is laid out inside its file: one SQL table `records` whose first column
// `recno` numbers the records in their natural order, then one column per field.
namespace schema {

inline constexpr const char* kTableName = "records";
inline constexpr const char* kRecordNumber = "recno";

std::string quoted(const std::string& identifier);

// Statements that create the table and its declared indexes in an empty file, or in the
// attached database of that name.
std::vector<std::string> createStatements(const TableDefinition& definition,
                                          const std::string& database = {});

// Reads the table's definition back from the file. Fails with NotATable when the file
// holds no such table and WrongStructure when its columns are not a table's fields.
TableDefinition read(Connection& connection);

// "recno", then every field's column, quoted and separated by commas.
std::string columnList(const TableDefinition& definition);

}  // namespace schema

}  // namespace veltrop::engine
