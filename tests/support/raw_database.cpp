#include "support/raw_database.h"

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

namespace veltrop::testing {

namespace {

using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

Statement prepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr) !=
        SQLITE_OK) {
        throw std::runtime_error(sql + ": " + sqlite3_errmsg(db));
    }
    return {statement, sqlite3_finalize};
}

}  // namespace

RawDatabase::RawDatabase(const std::string& fileName) {
    if (sqlite3_open_v2(fileName.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw std::runtime_error("cannot open " + fileName + ": " + message);
    }
}

RawDatabase::~RawDatabase() {
    sqlite3_close(db_);
}

void RawDatabase::exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw std::runtime_error(sql.substr(0, 200) + ": " + message);
    }
}

std::vector<StoredValue> RawDatabase::row(const std::string& sql) {
    Statement statement = prepare(db_, sql);
    const int rc = sqlite3_step(statement.get());
    if (rc != SQLITE_ROW) {
        throw std::runtime_error(sql + ": " + (rc == SQLITE_DONE ? "no row" : sqlite3_errmsg(db_)));
    }
    std::vector<StoredValue> values;
    for (int column = 0; column < sqlite3_column_count(statement.get()); ++column) {
        const int type = sqlite3_column_type(statement.get(), column);
        // Blobs come as they are; every other type as the text the library holds.
        const void* data = type == SQLITE_BLOB ? sqlite3_column_blob(statement.get(), column)
                                               : sqlite3_column_text(statement.get(), column);
        const int size = sqlite3_column_bytes(statement.get(), column);
        values.push_back({type, data ? std::string(static_cast<const char*>(data), size) : ""});
    }
    return values;
}

std::string RawDatabase::integrityCheck() {
    std::string report;
    Statement statement = prepare(db_, "PRAGMA integrity_check");
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        report +=
            (report.empty() ? "" : "\n") +
            std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)));
    }
    if (rc != SQLITE_DONE) {
        report += (report.empty() ? "" : "\n") + std::string(sqlite3_errmsg(db_));
    }
    return report;
}

}  // namespace veltrop::testing
