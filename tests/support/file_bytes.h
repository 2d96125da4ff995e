#pragma once

#include <string>

namespace veltrop::testing {

// Whole-file reads and writes for tests and fuzz targets. A write replaces the file's
// contents and keeps the file itself (and so its inode) when it is there. Both throw
// on failure.
std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);

}  // namespace veltrop::testing
