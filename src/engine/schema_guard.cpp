#include "engine/schema_guard.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>

#include "engine/admitted_files.h"
#include "engine/error.h"
#include "engine/schema.h"
#include "engine/schema_probe.h"
#include "engine/schema_statements.h"
#include "engine/session.h"

namespace veltrop::engine {

namespace {

// Longer statements than these are none the engine wrote.
constexpr std::size_t kLongestStatement = 4096;
constexpr std::size_t kLongestShownName = 64;

// The storage library keeps names beginning with "sqlite_" to itself, in any case.
bool isInternalName(const std::string& name) {
    std::string start = name.substr(0, 7);
    for (char& c : start) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return start == "sqlite_";
}

bool isExpected(const SchemaObject& object) {
    if (!object.sql || object.sql->size() > kLongestStatement) {
        return false;
    }
    if (object.type == "table" && object.name == schema::kTableName &&
        object.table == schema::kTableName) {
        return isRecordsStatement(*object.sql);
    }
    if (object.type == "table" && object.name == "sqlite_sequence" &&
        object.table == "sqlite_sequence") {
        return *object.sql == "CREATE TABLE sqlite_sequence(name,seq)";
    }
    if (object.type == "index" && object.table == schema::kTableName &&
        !isInternalName(object.name)) {
        return isIndexStatement(*object.sql);
    }
    return false;
}

// A name as a message may show it: printable, and not too long.
std::string shown(const std::string& name) {
    std::string text;
    for (const char c : name.substr(0, kLongestShownName)) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte < 0x20 || byte == 0x7f ? '?' : c;
    }
    return name.size() > kLongestShownName ? text + "..." : text;
}

[[noreturn]] void damaged(const std::string& fileName, const std::vector<std::string>& findings) {
    throw EngineError(ErrorCode::TableDamaged, fileName, findings);
}

}  // namespace

std::vector<std::string> unexpectedObjects(const std::vector<SchemaObject>& objects) {
    std::vector<std::string> findings;
    // A file without the table is no table at all, whatever else it holds; nothing of
    // it is ever read.
    const bool holdsRecords =
        std::any_of(objects.begin(), objects.end(), [](const SchemaObject& object) {
            return object.type == "table" && object.name == schema::kTableName;
        });
    if (!holdsRecords) {
        return findings;
    }
    for (const auto& object : objects) {
        if (!isExpected(object)) {
            const std::string type = object.type.empty() ? "object" : shown(object.type);
            findings.push_back("Unexpected " + type + " \"" + shown(object.name) +
                               "\" in the file");
        }
    }
    return findings;
}

void admitSchema(const std::string& fileName, const Secret& keyText, bool readOnly,
                 const SessionOptions& options) {
    const auto before = settledStateOf(fileName);
    if (before && wasAdmitted(*before)) {
        return;
    }
    const ProbeOutcome outcome = probeSchema(fileName, keyText, readOnly, options.busyTimeoutMs,
                                             options.busyTimeoutMs + options.schemaProbeSpareMs);
    if (outcome.crashed) {
        damaged(fileName, {"The storage library fails on the file's schema"});
    }
    if (outcome.resultCode == SQLITE_OK) {
        const auto findings = unexpectedObjects(outcome.objects);
        if (!findings.empty()) {
            damaged(fileName, findings);
        }
        if (before) {
            rememberAdmitted(*before);
        }
    }
}

}  // namespace veltrop::engine
