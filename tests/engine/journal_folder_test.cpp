// A rollback journal is played only into the table file it was written for: one that a
// sync service carried next to another copy of the table never is, and the program's
// own journal still brings a table killed in the middle of a change back to before it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/journal_vfs.h"
#include "engine/session.h"
#include "store/credential_table.h"
#include "store/table.h"
#include "support/temp_folder.h"
#include "table_tool/tool.h"

namespace veltrop {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFile = "Veltrop.DB";
constexpr int kRecords = 3000;

void exec(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "?";
        sqlite3_free(message);
        throw std::runtime_error(sql + ": " + text);
    }
}

// Runs SQL on the file through a storage layer (nullptr: the default one).
void run(const std::string& file, const std::string& sql, const char* vfs = nullptr) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, vfs);
    exec(db, sql);
    sqlite3_close(db);
}

// A table whose every password is prefix-N.
void createTable(engine::Session& session, const std::string& file, const std::string& prefix) {
    session.createTable(file, credentials::definition());
    run(file, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                  std::to_string(kRecords) +
                  ") INSERT INTO records (DESCRIPTION, PASSWORD) SELECT 'site ' || i, '" + prefix +
                  "' || i FROM n");
}

// A program killed while it changes every password: the cache is kept so small that
// changed pages reach the table file before the commit that never comes.
void killMidChange(const std::string& file, const char* vfs) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, vfs);
        sqlite3_exec(db, "PRAGMA cache_size = 2; BEGIN; UPDATE records SET PASSWORD = 'half'",
                     nullptr, nullptr, nullptr);
        raise(SIGKILL);
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
}

// How many records hold a password starting with the prefix, and whether the file is sound,
// as the engine reads it.
std::pair<std::int64_t, bool> passwordsLike(engine::Session& session, const std::string& file,
                                            const std::string& prefix) {
    auto table = session.openTable(file, engine::OpenMode::ReadWrite);
    std::int64_t count = 0;
    for (const auto& row : table->readFrom(0, kRecords * 2)) {
        count += row.values.at(3).rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return {count, table->integrityProblems(false).empty()};
}

std::int64_t journalsKept() {
    std::int64_t count = 0;
    if (fs::exists(engine::journalFolder())) {
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(engine::journalFolder())) {
            ++count;
        }
    }
    return count;
}

class JournalFolderTest : public ::testing::Test {
protected:
    void SetUp() override { fs::remove_all(engine::journalFolder()); }

    testing::TempFolder folder_;
    engine::Session session_;
};

TEST_F(JournalFolderTest, AJournalCarriedFromAnotherCopyChangesNothing) {
    createTable(session_, "a.DB", "old-");
    fs::copy_file("a.DB", kFile);
    run(kFile, "UPDATE records SET PASSWORD = 'b-' || recno");
    // Machine A, without this layer, dies in the middle of a change; its journal
    // arrives beside B's newer table.
    killMidChange("a.DB", "unix");
    ASSERT_TRUE(fs::exists("a.DB-journal"));
    fs::copy_file("a.DB-journal", std::string(kFile) + "-journal");

    // What the storage library alone makes of it: A's old pages in B's table.
    fs::copy_file(kFile, "control.DB");
    fs::copy_file("a.DB-journal", "control.DB-journal");
    sqlite3* control = nullptr;
    sqlite3_open_v2("control.DB", &control, SQLITE_OPEN_READWRITE, "unix");
    exec(control, "SELECT count(*) FROM records");
    sqlite3_close(control);
    ASSERT_FALSE(fs::exists("control.DB-journal")) << "the control played no journal";

    EXPECT_EQ(passwordsLike(session_, kFile, "b-"), std::make_pair(std::int64_t{kRecords}, true));
    EXPECT_TRUE(fs::exists(std::string(kFile) + "-journal")) << "left as it came";

    // The program's cursor and the table tool read through the same layer.
    Table cursor("Table1", session_, kFile, credentials::definition());
    cursor.open();
    EXPECT_EQ(cursor.field(3).asString().toStdString(), "b-1");
    std::FILE* messages = std::tmpfile();
    EXPECT_EQ(table_tool::runTool({"export", "-o", "export.csv"}, messages, messages), 0);
    std::fclose(messages);
    const std::string exported = testing::readFileBytes("export.csv");
    EXPECT_NE(exported.find("b-3000"), std::string::npos) << exported.substr(0, 200);
    EXPECT_EQ(exported.find("old-"), std::string::npos);
}

TEST_F(JournalFolderTest, OwnJournalRestoresATableKilledMidChange) {
    createTable(session_, kFile, "old-");
    killMidChange(kFile, nullptr);
    EXPECT_FALSE(fs::exists(std::string(kFile) + "-journal")) << "the journal went beside";
    EXPECT_EQ(journalsKept(), 2) << "the journal and its stand-in";
    EXPECT_EQ(passwordsLike(session_, kFile, "old-"), std::make_pair(std::int64_t{kRecords}, true));
    EXPECT_EQ(journalsKept(), 0);
}

TEST_F(JournalFolderTest, AJournalIsNotPlayedIntoAFileRenamedIntoItsPlace) {
    createTable(session_, kFile, "old-");
    fs::copy_file(kFile, "incoming.DB");
    run("incoming.DB", "UPDATE records SET PASSWORD = 'b-' || recno");
    killMidChange(kFile, nullptr);
    fs::rename("incoming.DB", kFile);
    EXPECT_EQ(passwordsLike(session_, kFile, "b-"), std::make_pair(std::int64_t{kRecords}, true));
}

}  // namespace
}  // namespace veltrop
