#pragma once

#include <string>

namespace veltrop::bench {

// A folder holding a Veltrop.DB of `records` generated records, made on first use and
// kept under /tmp between runs. Record i (0-based) has the description "Site i".
std::string tableFolder(long records);

// Makes that folder the working directory, as the program's table folder is.
void enterTableFolder(long records);

// The four key values of record i, as generated.
struct GeneratedKey {
    std::string description, url, login, password;
};
GeneratedKey generatedKey(long index);

// Resident memory of this process, in bytes.
long residentBytes();

}  // namespace veltrop::bench
