// veltrop-schema-probe FILE read-only|read-write BUSY-MS
//
// Reads a table file's schema in a process of its own, so that a storage library that
// crashes on a crafted schema takes only this process down. The key, if any, comes on
// standard input; it is kept in locked memory and out of core files. Standard output gets the
// storage library's result code and message, then each schema object as type, name, table and
// statement: "-" for a missing value, otherwise its length, ":" and its bytes (cut to kLongestValue
// + 1 bytes).
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/no_core_dumps.h"
#include "engine/journal_vfs.h"
#include "engine/secret.h"

namespace {

constexpr int kLongestValue = 4096;
constexpr int kMostObjects = 64;
constexpr std::size_t kLongestKey = 4096;

std::string encoded(const unsigned char* bytes, int size) {
    if (!bytes) {
        return "-";
    }
    const int kept = size > kLongestValue + 1 ? kLongestValue + 1 : size;
    return std::to_string(kept) + ":" +
           std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(kept));
}

}  // namespace

// A crash on a bad file is this program's expected end. Under AddressSanitizer it ends
// at once, as without it, instead of symbolizing a report that nobody reads.
extern "C" const char* __asan_default_options() {
    return "handle_segv=0:handle_sigbus=0:handle_abort=0:symbolize=0";
}

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: veltrop-schema-probe FILE read-only|read-write BUSY-MS\n", stderr);
        return 2;
    }
    veltrop::disableCoreDumps();
    veltrop::engine::Secret key(kLongestKey);
    std::size_t got = 0;
    for (ssize_t more = 0;
         got < key.size() && (more = read(STDIN_FILENO, key.data() + got, key.size() - got)) > 0;) {
        got += static_cast<std::size_t>(more);
    }
    key.truncate(got);
    veltrop::engine::useJournalFolder();
    const bool readOnly = std::strcmp(argv[2], "read-only") == 0;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(argv[1], &db, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE,
                             nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, std::atoi(argv[3]));
        if (!key.empty()) {
            rc = sqlite3_key(db, key.data(), static_cast<int>(key.size()));
        }
    }
    key.wipe();
    sqlite3_stmt* statement = nullptr;
    if (rc == SQLITE_OK) {
        // The first statement makes the storage library read and parse the whole schema.
        rc = sqlite3_prepare_v2(db, "SELECT type, name, tbl_name, sql FROM sqlite_master", -1,
                                &statement, nullptr);
    }
    std::string rows;
    int objects = 0;
    while (rc == SQLITE_OK && objects < kMostObjects) {
        const int step = sqlite3_step(statement);
        if (step == SQLITE_DONE) {
            break;
        }
        if (step != SQLITE_ROW) {
            rc = sqlite3_reset(statement);
            break;
        }
        ++objects;
        rows += "\n";
        for (int column = 0; column < 4; ++column) {
            rows += encoded(sqlite3_column_text(statement, column),
                            sqlite3_column_bytes(statement, column));
        }
    }
    if (rc != SQLITE_OK && db) {
        rc = sqlite3_extended_errcode(db);
    }
    const char* message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    const std::string out = std::to_string(rc) + "\n" +
                            encoded(reinterpret_cast<const unsigned char*>(message),
                                    static_cast<int>(std::strlen(message))) +
                            rows;
    std::fwrite(out.data(), 1, out.size(), stdout);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
