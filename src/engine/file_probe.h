#pragma once

#include <string>

namespace veltrop::engine {

// What a file looks like before the storage library touches it.
enum class FileKind {
    Plain,      // an unencrypted table file
    Protected,  // could be an encrypted table: only a password can tell
    NotATable,
};

struct FileFacts {
    FileKind kind;
    bool writable;  // its owner allows writing (write permission bits, not root's override)
    long long size;
};

// Looks at the file. Fails with TableNotFound when it is missing, DirectoryNotFound when
// the working directory is gone.
FileFacts probeFile(const std::string& fileName);

// Whether the file begins as an unencrypted database file of the storage library does.
bool startsWithPlainHeader(const std::string& fileName);

}  // namespace veltrop::engine
