#include "bench_tables.h"

#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "engine/session.h"
#include "store/credential_table.h"

namespace veltrop::bench {

namespace {

void check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        throw std::runtime_error(sqlite3_errmsg(db));
    }
}

long countRecords(const std::string& file) {
    sqlite3* db = nullptr;
    long count = -1;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT count(*) FROM records", -1, &statement, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            count = sqlite3_column_int64(statement, 0);
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return count;
}

void fill(const std::string& file, long records) {
    sqlite3* db = nullptr;
    check(sqlite3_open(file.c_str(), &db), db);
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    sqlite3_stmt* insert = nullptr;
    check(sqlite3_prepare_v2(db,
                             "INSERT INTO records (\"DESCRIPTION\", \"URL\", \"LOGIN ID\", "
                             "\"PASSWORD\", \"NOTE\") VALUES (?1, ?2, ?3, ?4, ?5)",
                             -1, &insert, nullptr),
          db);
    for (long i = 0; i < records; ++i) {
        const GeneratedKey key = generatedKey(i);
        const std::string note = "Note for record " + std::to_string(i);
        sqlite3_bind_text(insert, 1, key.description.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, key.url.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, key.login.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, key.password.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, note.c_str(), -1, SQLITE_TRANSIENT);
        check(sqlite3_step(insert), db);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
}

}  // namespace

GeneratedKey generatedKey(long index) {
    const std::string n = std::to_string(index);
    return {"Site " + n, "https://www.example" + n + ".org/login", "user" + n, "pw" + n};
}

std::string tableFolder(long records) {
    const std::string folder = "/tmp/veltrop-bench/" + std::to_string(records);
    const std::string file = folder + "/" + credentials::kFileName;
    if (countRecords(file) == records) {
        return folder;
    }
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    engine::Session session;
    session.createTable(file, credentials::definition());
    fill(file, records);
    return folder;
}

void enterTableFolder(long records) {
    std::filesystem::current_path(tableFolder(records));
}

long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

}  // namespace veltrop::bench
