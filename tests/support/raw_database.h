#pragma once

#include <string>
#include <vector>

struct sqlite3;

namespace veltrop::testing {

// A value as the storage library holds it: its type (SQLITE_TEXT, SQLITE_NULL, ...)
// and its bytes.
struct StoredValue {
    int type = 0;
    std::string bytes;

    bool operator==(const StoredValue&) const = default;
};

// A plain connection to a database file through the default storage layer, for
// what another program might do to a table file. Opening creates a missing file.
class RawDatabase {
public:
    explicit RawDatabase(const std::string& fileName);
    ~RawDatabase();
    RawDatabase(const RawDatabase&) = delete;
    RawDatabase& operator=(const RawDatabase&) = delete;

    void exec(const std::string& sql);
    // The first row of a query.
    std::vector<StoredValue> row(const std::string& sql);
    // "ok", or what the storage library found wrong with the file.
    std::string integrityCheck();

private:
    sqlite3* db_ = nullptr;
};

}  // namespace veltrop::testing
