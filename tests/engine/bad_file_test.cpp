// Whatever lies in the table file's place, opening it gives a clear error and
// leaves the file as it was; values another program stored are shown as well as
// they can be and survive an edit of another field untouched.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <random>

#include <sqlite3.h>

#include "engine/error.h"
#include "engine/error_text.h"
#include "engine/session.h"
#include "store/credential_table.h"
#include "store/table.h"
#include "support/credential_records.h"
#include "support/raw_database.h"
#include "support/temp_folder.h"

namespace veltrop {
namespace {

using engine::EngineError;
using engine::ErrorCode;
using engine::OpenMode;
using testing::StoredValue;

constexpr const char* kFile = "Veltrop.DB";

std::string randomBytes(std::size_t size, int seed = 1) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(size, '\0');
    for (char& each : bytes) {
        each = static_cast<char>(byte(generator));
    }
    return bytes;
}

void writeRandomBytes(std::size_t size) {
    testing::writeFileBytes(kFile, randomBytes(size));
}

// A real table of many pages.
std::string bigTableBytes() {
    engine::Session session;
    session.createTable(kFile, credentials::definition());
    testing::RawDatabase(kFile).exec(
        "INSERT INTO records (\"DESCRIPTION\", \"URL\", \"LOGIN ID\", \"PASSWORD\", \"NOTE\") "
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
        "SELECT 'Site ' || i, 'https://site' || i || '.example.org', 'user', 'pass' || i, "
        "hex(zeroblob(100)) FROM n");
    std::string bytes = testing::readFileBytes(kFile);
    EXPECT_GT(bytes.size(), 16u * 4096u) << "too few pages";
    return bytes;
}

void writeTruncatedTable() {
    const std::string bytes = bigTableBytes();
    testing::writeFileBytes(kFile, bytes.substr(0, bytes.size() / 2));
}

void writeTextFile() {
    testing::writeFileBytes(kFile,
                            "DESCRIPTION;URL;LOGIN ID;PASSWORD\nMail;mail.example.org;a;b\n");
}

void writeSqliteWithoutTable() {
    testing::RawDatabase("Veltrop.DB")
        .exec(
            "CREATE TABLE notes (body TEXT); INSERT INTO notes "
            "VALUES ('not the credential table')");
}

// A table of fields, but not of the credential table's fields.
void writeTableOfOtherFields() {
    testing::RawDatabase(kFile).exec(
        "CREATE TABLE records (recno INTEGER PRIMARY KEY, \"DESCRIPTION\" VARCHAR(30), "
        "\"URL\" VARCHAR(55)); INSERT INTO records VALUES (1, 'Mail', 'mail.example.org')");
}

// A `records` table whose columns are no fields at all.
void writeTableOfNoFields() {
    testing::RawDatabase(kFile).exec(
        "CREATE TABLE records (id INTEGER, amount REAL, picture BLOB); "
        "INSERT INTO records VALUES (1, 2.5, x'00ff')");
}

// A table whose header names a schema format the storage library does not know.
void writeUnknownSchemaFormat() {
    engine::Session session;
    session.createTable(kFile, credentials::definition());
    std::string bytes = testing::readFileBytes(kFile);
    bytes[47] = 9;  // the schema format number, 1 to 4
    testing::writeFileBytes(kFile, bytes);
}

void writeProtectedTable() {
    engine::Session session;
    testing::createCredentialTable(session, kFile, {{"Mail", "mail.example.org", "a", "b", ""}});
    session.protectTable(kFile, "the table's password");
}

struct BadFile {
    const char* name;
    std::function<void()> write;
    // What the engine says when asked for the file; none when it is a table, only
    // not of the cursor's fields.
    std::optional<ErrorCode> engineError;
    ErrorCode cursorError;
};

void PrintTo(const BadFile& bad, std::ostream* out) {
    *out << bad.name;
}

std::vector<BadFile> badFiles() {
    return {
        {"RandomBytesOfOddSize", [] { writeRandomBytes(3001); }, ErrorCode::NotATable,
         ErrorCode::NotATable},
        {"RandomBytesOfWholeKilobytes", [] { writeRandomBytes(8192); },
         ErrorCode::InsufficientRights, ErrorCode::InsufficientRights},
        {"TruncatedTable", writeTruncatedTable, ErrorCode::TableDamaged, ErrorCode::TableDamaged},
        {"EmptyFile", [] { testing::writeFileBytes(kFile, ""); }, ErrorCode::NotATable,
         ErrorCode::NotATable},
        {"TextFile", writeTextFile, ErrorCode::NotATable, ErrorCode::NotATable},
        {"SqliteFileWithoutTable", writeSqliteWithoutTable, ErrorCode::NotATable,
         ErrorCode::NotATable},
        {"TableOfOtherFields", writeTableOfOtherFields, std::nullopt, ErrorCode::WrongStructure},
        {"TableOfNoFields", writeTableOfNoFields, ErrorCode::WrongStructure,
         ErrorCode::WrongStructure},
        {"UnknownSchemaFormat", writeUnknownSchemaFormat, ErrorCode::TableDamaged,
         ErrorCode::TableDamaged},
        {"ProtectedTableWithoutPassword", writeProtectedTable, ErrorCode::InsufficientRights,
         ErrorCode::InsufficientRights},
    };
}

void expectClearError(const EngineError& error, ErrorCode expected) {
    EXPECT_EQ(error.code(), expected) << error.message();
    const std::string codeText = engine::codeMessage(expected);
    ASSERT_FALSE(codeText.empty());
    EXPECT_EQ(error.message().rfind(codeText, 0), 0u)
        << "\"" << error.message() << "\" does not start with \"" << codeText << "\"";
    EXPECT_NE(error.message().find(kFile), std::string::npos) << "the message names no file";
}

class BadFileTest : public ::testing::TestWithParam<BadFile> {
protected:
    testing::TempFolder folder_;
};

TEST_P(BadFileTest, OpeningGivesItsErrorAndLeavesTheFileAlone) {
    const BadFile& bad = GetParam();
    bad.write();
    const std::string before = testing::readFileBytes(kFile);

    for (OpenMode mode : {OpenMode::ReadWrite, OpenMode::ReadOnly}) {
        SCOPED_TRACE(mode == OpenMode::ReadWrite ? "read-write" : "read-only");
        engine::Session session;
        try {
            auto file = session.openTable(kFile, mode);
            EXPECT_FALSE(bad.engineError.has_value()) << "opened although it is no table";
            EXPECT_NE(file->definition(), credentials::definition());
        } catch (const EngineError& error) {
            ASSERT_TRUE(bad.engineError.has_value()) << error.message();
            expectClearError(error, *bad.engineError);
        }
    }

    engine::Session session;
    Table table("Table1", session, kFile, credentials::definition());
    try {
        table.open();
        ADD_FAILURE() << "the cursor opened it";
    } catch (const EngineError& error) {
        expectClearError(error, bad.cursorError);
    }
    EXPECT_EQ(table.state(), TableState::Inactive);

    EXPECT_TRUE(testing::readFileBytes(kFile) == before) << "opening changed the file";
    EXPECT_FALSE(std::filesystem::exists("Veltrop.DB-journal"));
}

INSTANTIATE_TEST_SUITE_P(Files, BadFileTest, ::testing::ValuesIn(badFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

// The second half of a real table overwritten with garbage, in several ways.
class DamagedTableTest : public ::testing::Test {
protected:
    static constexpr int kGarbageSeeds = 12;

    void SetUp() override { intact_ = bigTableBytes(); }

    std::string damage(int seed) {
        std::string bytes = intact_;
        const std::size_t half = bytes.size() / 2;
        bytes.replace(half, bytes.size() - half, randomBytes(bytes.size() - half, seed));
        testing::writeFileBytes(kFile, bytes);
        return bytes;
    }

    testing::TempFolder folder_;
    std::string intact_;
};

TEST_F(DamagedTableTest, CursorReportsTheDamageWhenItReachesIt) {
    for (int seed = 1; seed <= kGarbageSeeds; ++seed) {
        SCOPED_TRACE("garbage seed " + std::to_string(seed));
        const std::string bytes = damage(seed);
        engine::Session session;
        Table table("Table1", session, kFile, credentials::definition());
        try {
            table.open();
            testing::readRecords(table);
            ADD_FAILURE() << "read every record of a damaged table";
        } catch (const EngineError& error) {
            expectClearError(error, ErrorCode::TableDamaged);
        }
        EXPECT_TRUE(testing::readFileBytes(kFile) == bytes) << "reading changed the file";
    }
}

// Whatever the damage, stepping through the table, record by record or row by row,
// moves forward and so ends.
TEST_F(DamagedTableTest, EngineNeverStepsBackwards) {
    using Step = std::function<std::optional<engine::RecordNumber>(engine::TableFile&,
                                                                   engine::RecordNumber)>;
    const std::vector<std::pair<const char*, Step>> steps = {
        {"next", [](auto& file, auto number) { return file.next(number); }},
        {"readFrom",
         [](auto& file, auto number) -> std::optional<engine::RecordNumber> {
             const auto rows = file.readFrom(number + 1, 1);
             return rows.empty() ? std::nullopt : std::optional(rows.front().number);
         }},
    };
    for (int seed = 1; seed <= kGarbageSeeds; ++seed) {
        damage(seed);
        for (const auto& [name, step] : steps) {
            SCOPED_TRACE("garbage seed " + std::to_string(seed) + ", " + name);
            engine::Session session;
            try {
                auto file = session.openTable(kFile, OpenMode::ReadOnly);
                auto number = file->first();
                for (int count = 0; number && count <= 400; ++count) {
                    const auto following = step(*file, *number);
                    if (following && *following <= *number) {
                        ADD_FAILURE()
                            << "stepped from record " << *number << " back to " << *following;
                        break;
                    }
                    number = following;
                }
            } catch (const EngineError& error) {
                expectClearError(error, ErrorCode::TableDamaged);
            }
        }
    }
}

// Values as another program may have stored them, row 1: too long, invalid UTF-8,
// an embedded NUL, a 1 MB note. Row 2: NULLs, a number, a blob.
const char* const kForeignRows =
    "INSERT INTO records VALUES (1, "
    "'Überweisungen und Daueraufträge der Hausbank', "
    "CAST(x'68747470733a2f2fff6578616d706c65c3' AS TEXT), "
    "CAST(x'616200636400' AS TEXT), "
    "'plain', "
    "hex(zeroblob(524288)));"
    "INSERT INTO records VALUES (2, NULL, 12345, x'00ff41', 'plain', NULL);";

const char* const kSelectRow = "SELECT * FROM records WHERE recno = ";

class ForeignValuesTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine::Session session;
        session.createTable(kFile, credentials::definition());
        testing::RawDatabase(kFile).exec(kForeignRows);
    }

    std::vector<StoredValue> stored(int recno) {
        return testing::RawDatabase(kFile).row(kSelectRow + std::to_string(recno));
    }

    testing::TempFolder folder_;
};

TEST_F(ForeignValuesTest, EngineReadsTheStoredBytes) {
    engine::Session session;
    auto file = session.openTable(kFile, OpenMode::ReadOnly);
    const auto first = file->read(1);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ((*first)[1], std::string("https://\xff"
                                       "example\xc3"));
    EXPECT_EQ((*first)[2], std::string("ab\0cd\0", 6));
    EXPECT_EQ((*first)[4].size(), 1048576u);

    const auto second = file->read(2);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ((*second)[0], "");
    EXPECT_EQ((*second)[1], "12345");
    EXPECT_EQ((*second)[2], std::string("\0\xff"
                                        "A",
                                        3));
    EXPECT_EQ((*second)[4], "");
}

TEST_F(ForeignValuesTest, CursorShowsThemAsWellAsItCan) {
    engine::Session session;
    Table table("Table1", session, kFile, credentials::definition());
    table.open();

    EXPECT_EQ(table.field(0).asString(), QString("Überweisungen und Daueraufträge der Hausbank"));
    const QString url = table.field(1).asString();
    EXPECT_TRUE(url.startsWith("https://")) << url.toStdString();
    EXPECT_TRUE(url.contains("example")) << url.toStdString();
    const QString login = table.field(2).asString();
    EXPECT_TRUE(login.startsWith("ab")) << login.toStdString();
    EXPECT_TRUE(login.contains("cd")) << login.toStdString();
    EXPECT_EQ(table.field(4).asString().size(), 1048576);

    table.next();
    EXPECT_EQ(table.field(0).asString(), "");
    EXPECT_EQ(table.field(1).asString(), "12345");
    EXPECT_TRUE(table.field(2).asString().endsWith("A"));
    EXPECT_EQ(table.field(4).asString(), "");
}

TEST_F(ForeignValuesTest, EditingAnotherFieldKeepsThemByteForByte) {
    const auto first = stored(1);
    const auto second = stored(2);
    {
        engine::Session session;
        Table table("Table1", session, kFile, credentials::definition());
        table.open();
        for (int record = 0; record < 2; ++record) {
            table.Edit();
            table.fieldByName(credentials::kPassword).setAsString("changed");
            table.Post();
            table.next();
        }
    }

    auto expectKeptBut = [](std::vector<StoredValue> before,
                            const std::vector<StoredValue>& after) {
        before[4] = {SQLITE_TEXT, "changed"};  // recno first, then the fields; PASSWORD is 4th
        EXPECT_EQ(after.size(), before.size());
        for (std::size_t column = 0; column < before.size() && column < after.size(); ++column) {
            EXPECT_TRUE(after[column] == before[column]) << "column " << column << " changed";
        }
    };
    expectKeptBut(first, stored(1));
    expectKeptBut(second, stored(2));
    EXPECT_EQ(testing::RawDatabase(kFile).integrityCheck(), "ok");
}

}  // namespace
}  // namespace veltrop
