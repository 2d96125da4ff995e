#include "engine/schema_guard.h"

#include <sqlite3.h>

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <set>
#include <tuple>

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

// A file as it is now: any write changes its change time, a rename its inode.
using FileState = std::tuple<dev_t, ino_t, off_t, long, long>;

// The file's state, when it has not changed for a while: the change time has the
// granularity of the kernel's clock tick, so a file changed within the last second
// could change again without its change time showing it.
std::optional<FileState> settledStateOf(const std::string& fileName) {
    struct stat info {};
    timespec now{};
    if (stat(fileName.c_str(), &info) != 0 || clock_gettime(CLOCK_REALTIME, &now) != 0 ||
        now.tv_sec - info.st_ctim.tv_sec < 2) {
        return std::nullopt;
    }
    return FileState{info.st_dev, info.st_ino, info.st_size, info.st_ctim.tv_sec,
                     info.st_ctim.tv_nsec};
}

// Files the probe found sound, as they were then: the program opens its table with
// several cursors, and one probe is enough for all while the file stays as it is.
class AdmittedFiles {
public:
    bool contains(const FileState& state) {
        const std::lock_guard<std::mutex> guard(mutex_);
        return states_.count(state) != 0;
    }
    void add(const FileState& state) {
        const std::lock_guard<std::mutex> guard(mutex_);
        states_.insert(state);
    }

private:
    std::mutex mutex_;
    std::set<FileState> states_;
};

AdmittedFiles& admittedFiles() {
    static AdmittedFiles* files = new AdmittedFiles;
    return *files;
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
    if (before && admittedFiles().contains(*before)) {
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
            admittedFiles().add(*before);
        }
    }
}

}  // namespace veltrop::engine
