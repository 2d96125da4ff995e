#pragma once

#include <string>
#include <vector>

#include "engine/schema_object.h"
#include "engine/secret.h"

namespace veltrop::engine {

// What the schema probe found: the storage library's result code and message for reading
// the schema, and its objects when that succeeded. crashed is set when the probe did not
// come back with an answer: the storage library died on the file, or took too long.
struct ProbeOutcome {
    bool crashed = false;
    int resultCode = 0;
    std::string message;
    std::vector<SchemaObject> objects;
};

// Reads the file's schema in the helper program veltrop-schema-probe, with the key text
// (empty for a plain file), as a connection of the given mode would; a probe that has
// not answered within the time limit is stopped and counts as crashed. Fails with
// StorageFailure when the helper cannot be started.
ProbeOutcome probeSchema(const std::string& fileName, const Secret& keyText, bool readOnly,
                         int busyTimeoutMs, int timeLimitMs);

// Where the helper program is: beside the running program, in the installed libexec
// folder beside it, or where the build put it.
std::string schemaProbeProgram();

}  // namespace veltrop::engine
