// Writes the table seeds of fuzz/corpus/table_open into the folder given: valid tables
// and each kind of bad file the engine's tests make.
#include <sqlite3.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <utility>
#include <vector>

#include "engine/session.h"
#include "scratch_folder.h"
#include "store/credential_table.h"
#include "support/crafted_tables.h"
#include "support/file_bytes.h"

namespace {

using namespace veltrop;

constexpr const char* kFile = credentials::kFileName;

const std::vector<engine::RawRecord> kThreeRecords{
    {"Mail", "https://mail.example.org", "anna", "first-pass", "two\nlines"},
    {"Überweisungen", "https://bank.example.org", "anna.k", "pin-1234", ""},
    {"Forum \xF0\x9F\x94\x91", "forum.example", "", "pw", "a note"},
};

void createTable(const std::vector<engine::RawRecord>& records) {
    engine::Session session;
    session.createTable(kFile, credentials::definition());
    auto file = session.openTable(kFile, engine::OpenMode::ReadWrite);
    for (const auto& record : records) {
        file->insert(record);
    }
}

void protect(const std::string& password) {
    engine::Session session;
    session.protectTable(kFile, password);
}

void execute(const char* sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(kFile, &db) != SQLITE_OK ||
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        fuzz::violated(std::string("cannot run ") + sql);
    }
    sqlite3_close(db);
}

void writeRandomBytes(std::size_t size) {
    std::mt19937 generator(1);
    std::string bytes(size, '\0');
    for (char& each : bytes) {
        each = static_cast<char>(generator());
    }
    testing::writeFileBytes(kFile, bytes);
}

// Cuts a table of a few pages in half.
void writeTruncatedTable() {
    createTable({});
    execute(
        "INSERT INTO records (\"DESCRIPTION\", \"URL\", \"LOGIN ID\", \"PASSWORD\", \"NOTE\") "
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40) "
        "SELECT 'Site ' || i, 'https://site' || i || '.example.org', 'user', 'pass' || i, "
        "hex(zeroblob(100)) FROM n");
    const std::string bytes = testing::readFileBytes(kFile);
    testing::writeFileBytes(kFile, bytes.substr(0, bytes.size() / 2));
}

// The header's write version 3: the storage library may read the file but never write it.
void markReadOnly() {
    std::string bytes = testing::readFileBytes(kFile);
    bytes[19] = 3;
    testing::writeFileBytes(kFile, bytes);
}

const std::vector<std::pair<const char*, std::function<void()>>> kSeeds{
    {"empty-table", [] { createTable({}); }},
    {"three-records", [] { createTable(kThreeRecords); }},
    {"protected-three-records",
     [] {
         createTable(kThreeRecords);
         protect("fuzz table password");
     }},
    {"protected-other-password",
     [] {
         createTable(kThreeRecords);
         protect("a password the target never lists");
     }},
    {"read-only-marked",
     [] {
         createTable(kThreeRecords);
         markReadOnly();
     }},
    {"random-bytes-odd-size", [] { writeRandomBytes(3001); }},
    {"random-bytes-whole-kilobytes", [] { writeRandomBytes(2048); }},
    {"truncated-table", writeTruncatedTable},
    {"empty-file", [] { testing::writeFileBytes(kFile, ""); }},
    {"text-file",
     [] {
         testing::writeFileBytes(kFile,
                                 "DESCRIPTION;URL;LOGIN ID;PASSWORD\nMail;mail.example.org;a;b\n");
     }},
    {"sqlite-without-table",
     [] { execute("CREATE TABLE notes (body TEXT); INSERT INTO notes VALUES ('not a table')"); }},
    {"table-of-other-fields",
     [] {
         execute(
             "CREATE TABLE records (recno INTEGER PRIMARY KEY, \"DESCRIPTION\" VARCHAR(30), "
             "\"URL\" VARCHAR(55)); INSERT INTO records VALUES (1, 'Mail', 'mail.example.org')");
     }},
    {"table-of-no-fields",
     [] {
         execute(
             "CREATE TABLE records (id INTEGER, amount REAL, picture BLOB); "
             "INSERT INTO records VALUES (1, 2.5, x'00ff')");
     }},
};

// "CreateTableAs" as "crafted-create-table-as".
std::string craftedSeedName(const std::string& name) {
    std::string seed = "crafted";
    for (const char c : name) {
        if (std::isupper(static_cast<unsigned char>(c))) {
            seed += '-';
        }
        seed += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return seed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = std::filesystem::absolute(argv[1]).string();
    const fuzz::ScratchFolder scratch;
    const fuzz::InsideFolder inside(scratch);
    for (const auto& [name, write] : kSeeds) {
        unlink(kFile);
        write();
        testing::writeFileBytes(folder + "/" + name, testing::readFileBytes(kFile));
    }
    for (const auto& crafted : testing::craftedTables()) {
        unlink(kFile);
        testing::writeCraftedTable(kFile, crafted);
        testing::writeFileBytes(folder + "/" + craftedSeedName(crafted.name),
                                testing::readFileBytes(kFile));
    }
    return 0;
}
