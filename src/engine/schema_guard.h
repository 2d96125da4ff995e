#pragma once

#include <string>
#include <vector>

#include "engine/schema_object.h"
#include "engine/secret.h"

namespace veltrop::engine {

struct SessionOptions;

// What in a file's schema a Veltrop table never holds: one line per object, naming it.
// A table holds the table `records` as the engine makes it, the storage library's
// sequence table, and indexes each on one field of `records`. Nothing for a file without
// `records`: that is no table at all, and is never read as one.
std::vector<std::string> unexpectedObjects(const std::vector<SchemaObject>& objects);

// Lets this process read the file's schema only once the schema probe has read it with
// the key text without harm and found nothing unexpected in it. Fails with TableDamaged,
// naming what it found, otherwise. A failure of the storage library that is no crash is
// left for the caller's own connection to meet and report.
void admitSchema(const std::string& fileName, const Secret& keyText, bool readOnly,
                 const SessionOptions& options);

}  // namespace veltrop::engine
