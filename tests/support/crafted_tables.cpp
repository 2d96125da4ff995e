#include "support/crafted_tables.h"

#include <sqlite3.h>

#include <stdexcept>

#include "engine/session.h"
#include "store/credential_table.h"

namespace veltrop::testing {

namespace {

// A schema row written straight into the schema table, as a crafting program would.
std::string schemaRow(const char* row) {
    return std::string("PRAGMA writable_schema = ON; INSERT INTO sqlite_master VALUES ") + row;
}

}  // namespace

const std::vector<CraftedTable>& craftedTables() {
    static const std::vector<CraftedTable> all{
        // Crashes the storage library of 2016 while it reads the schema.
        {"CreateTableAs", schemaRow("('table', 't9', 't9', 0, 'CREATE TABLE t9 AS SELECT 1 AS a')"),
         "The storage library fails on the file's schema"},
        {"Trigger", kLeakingTrigger, "trigger \"leak\""},
        {"View", "CREATE VIEW everything AS SELECT * FROM records", "view \"everything\""},
        {"VirtualTable", "CREATE VIRTUAL TABLE search USING fts4(body)", "table \"search\""},
        {"NullStatement", schemaRow("('table', 't8', 't8', 0, NULL)"), "table \"t8\""},
        {"OverlongStatement",
         "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = sql || printf('%5000s', '') "
         "WHERE name = 'records'",
         "table \"records\""},
        {"ExpressionIndex", "CREATE INDEX byLength ON records (length(PASSWORD))",
         "index \"byLength\""},
        {"PartialIndex", "CREATE INDEX someUrls ON records (URL) WHERE URL <> ''",
         "index \"someUrls\""},
        {"OtherTable", "CREATE TABLE notes (body TEXT)", "table \"notes\""},
        {"CheckConstraint",
         "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = replace(sql, 'TEXT(240)', "
         "'TEXT(240) CHECK (length(NOTE) < 1000)') WHERE name = 'records'",
         "table \"records\""},
    };
    return all;
}

void writeCraftedTable(const std::string& fileName, const CraftedTable& crafted) {
    engine::Session session;
    session.createTable(fileName, credentials::definition());
    session.openTable(fileName, engine::OpenMode::ReadWrite)
        ->insert({"Mail", "mail.example.org", "anna", "first-pass", ""});
    sqlite3* db = nullptr;
    char* error = nullptr;
    const bool done =
        sqlite3_open(fileName.c_str(), &db) == SQLITE_OK &&
        sqlite3_exec(db, crafted.statements.c_str(), nullptr, nullptr, &error) == SQLITE_OK;
    const std::string message = error ? error : "cannot open";
    sqlite3_free(error);
    sqlite3_close(db);
    if (!done) {
        throw std::runtime_error(std::string(crafted.name) + ": " + message);
    }
}

}  // namespace veltrop::testing
