// The statements a table's schema may hold: those the engine writes, and nothing that
// computes, constrains by expression or indexes anything but one field.
#include <gtest/gtest.h>

#include "engine/schema_statements.h"

namespace veltrop::engine {
namespace {

struct Statement {
    const char* sql;
    bool accepted;
};

TEST(SchemaStatementsTest, RecordsTable) {
    const std::vector<Statement> statements{
        {"CREATE TABLE records (recno INTEGER PRIMARY KEY AUTOINCREMENT, \"DESCRIPTION\" "
         "VARCHAR(30), \"LOGIN ID\" VARCHAR(20), \"NOTE\" TEXT(240))",
         true},
        {"CREATE TABLE \"records\" (recno INTEGER PRIMARY KEY, [URL] varchar ( 255 ))", true},
        {"CREATE TABLE records (id INTEGER, amount REAL, picture BLOB)", true},
        {"CREATE TABLE records AS SELECT 1 AS a", false},
        {"CREATE TABLE records (recno INTEGER, NOTE TEXT(240) CHECK (length(NOTE) < 9))", false},
        {"CREATE TABLE records (recno INTEGER, URL VARCHAR(55) DEFAULT 'x')", false},
        {"CREATE TABLE records (recno INTEGER PRIMARY KEY, URL TEXT) WITHOUT ROWID", false},
        {"CREATE TABLE records (recno INTEGER, URL TEXT REFERENCES other(x))", false},
        {"CREATE TABLE records (recno INTEGER, URL TEXT UNIQUE)", false},
        {"CREATE TABLE records (recno INTEGER) -- a comment", false},
        {"CREATE TABLE records (recno INTEGER, \"unclosed VARCHAR(3))", false},
        {"CREATE TABLE records (recno INTEGER, x VARCHAR((((3)))))", false},
        {"CREATE TABLE notes (body TEXT)", false},
    };
    for (const auto& [sql, accepted] : statements) {
        EXPECT_EQ(isRecordsStatement(sql), accepted) << sql;
    }
}

TEST(SchemaStatementsTest, Index) {
    const std::vector<Statement> statements{
        {"CREATE INDEX \"Description_Non_Unique\" ON records (\"DESCRIPTION\" COLLATE NOCASE)",
         true},
        {"CREATE UNIQUE INDEX byUrl ON records (URL DESC)", true},
        {"CREATE INDEX byLength ON records (length(PASSWORD))", false},
        {"CREATE INDEX someUrls ON records (URL) WHERE URL <> ''", false},
        {"CREATE INDEX two ON records (URL, NOTE)", false},
        {"CREATE INDEX other ON notes (body)", false},
        {"CREATE INDEX odd ON records (URL COLLATE mine)", false},
    };
    for (const auto& [sql, accepted] : statements) {
        EXPECT_EQ(isIndexStatement(sql), accepted) << sql;
    }
}

}  // namespace
}  // namespace veltrop::engine
