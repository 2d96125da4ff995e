#pragma once

#include <string>

namespace veltrop::engine {

// Files written aside and put in place by rename: a rewritten table beside the table
// ("NAME.new-XXXXXX") and an export being written ("NAME.veltrop-part-XXXXXX"). A kill
// leaves them behind, with the records in them.
inline constexpr const char* kRewriteMarker = ".new-";
inline constexpr const char* kExportMarker = ".veltrop-part-";

std::string directoryOf(const std::string& fileName);
std::string baseName(const std::string& fileName);

// Creates "NAME" MARKER "XXXXXX" beside fileName, readable and writable by its owner
// only: its descriptor, with path set; -1 with errno set when it cannot.
int createAsideFile(const std::string& fileName, const char* marker, std::string& path);

// Puts a file written aside in fileName's place: by rename, which replaces what is
// there, or by link, which never does. The aside name goes either way; once in place,
// the folder is synced, since only then is the new name on disk. False with errno set
// when it could not.
bool putInPlace(const std::string& aside, const std::string& fileName, bool replace);

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
