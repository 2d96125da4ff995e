#pragma once

#include <string>

namespace veltrop::engine {

// Files written aside and put in place by rename: a rewritten table beside the table
// ("NAME.new-XXXXXX") and an export being written ("NAME.veltrop-part-XXXXXX"). A kill
// leaves them behind, with the records in them.
inline constexpr const char* kRewriteMarker = ".new-";
inline constexpr const char* kExportMarker = ".veltrop-part-";

std::string directoryOf(const std::string& fileName);

// Removes the file and the journal the storage library may have left beside it.
void removeAsideFile(const std::string& path);

// Removes the files of the folder named "PREFIX" MARKER and six more characters; every
// name when prefix is empty.
void removeMarkedFiles(const std::string& directory, const std::string& prefix,
                       const std::string& marker);

// Removes what killed rewrites left beside the table, unless a rewrite runs now, and
// what killed exports left in its folder. Every start of the program and every command
// of the tool calls it.
void removeLeftovers(const std::string& fileName);

}  // namespace veltrop::engine
