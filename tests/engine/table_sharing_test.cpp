#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/error.h"
#include "engine/key_cache.h"
#include "engine/session.h"
#include "engine/sole_use.h"
#include "engine/table_key.h"
#include "store/credential_table.h"
#include "support/expect_error.h"
#include "support/temp_folder.h"

namespace veltrop::engine {
namespace {

using veltrop::testing::readFileBytes;
using veltrop::testing::TempFolder;
using veltrop::testing::ThrowsEngineError;

const std::string kFile = credentials::kFileName;
const std::string kPassword = "correct horse";
const RawRecord kRecord{"Bank", "bank.example", "me", "12345678901234567890", "note"};

// Counts the records through a connection of the storage library given this key text.
int countWithKey(const std::string& keyText) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(kFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_key(db, keyText.data(), static_cast<int>(keyText.size()));
    sqlite3_stmt* count = nullptr;
    int records = -1;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM records", -1, &count, nullptr) == SQLITE_OK &&
        sqlite3_step(count) == SQLITE_ROW) {
        records = sqlite3_column_int(count, 0);
    }
    sqlite3_finalize(count);
    sqlite3_close(db);
    return records;
}

class TableSharingTest : public ::testing::Test {
protected:
    void SetUp() override {
        session_.createTable(kFile, credentials::definition());
        session_.openTable(kFile, OpenMode::ReadWrite)->insert(kRecord);
    }

    TempFolder folder_;
    Session session_;
};

TEST_F(TableSharingTest, ProtectedKeyIsArgon2idOfThePasswordSaltedByTheFilesFirstBytes) {
    session_.protectTable(kFile, kPassword);
    Salt salt;
    const std::string bytes = readFileBytes(kFile);
    std::copy_n(bytes.begin(), salt.size(), salt.begin());
    const Secret key = deriveTableKey(kPassword, salt);

    EXPECT_EQ(countWithKey(std::string(rawKeyText(key).view())), 1);
    EXPECT_EQ(countWithKey(kPassword), -1) << "the storage library's own derivation opened it";
    EXPECT_EQ(countWithKey(std::string(rawKeyText(deriveTableKey("other", salt)).view())), -1);
}

TEST(KeyCacheTest, DerivesEachKeyOncePerPasswordAndSalt) {
    KeyCache cache;
    const Salt salt = randomSalt();
    const Secret& first = cache.keyFor(kPassword, salt);
    EXPECT_EQ(&cache.keyFor(kPassword, salt), &first) << "derived again";
    const std::string firstKey(first.view());
    EXPECT_EQ(firstKey, deriveTableKey(kPassword, salt).view());
    EXPECT_NE(cache.keyFor(kPassword, randomSalt()).view(), firstKey);
    cache.forget(kPassword);
    EXPECT_EQ(cache.keyFor(kPassword, salt).view(), firstKey);
}

TEST_F(TableSharingTest, EachProtectionGetsItsOwnSalt) {
    session_.protectTable(kFile, kPassword);
    const std::string first = readFileBytes(kFile).substr(0, kSaltSize);
    session_.addPassword(kPassword);
    session_.protectTable(kFile, kPassword);
    EXPECT_NE(readFileBytes(kFile).substr(0, kSaltSize), first);
    EXPECT_EQ(*session_.openTable(kFile, OpenMode::ReadOnly)->read(1), kRecord);
}

struct WholeFileChange {
    const char* name;
    std::function<void(Session&)> run;
};

const std::vector<WholeFileChange> kWholeFileChanges{
    {"protect", [](Session& session) { session.protectTable(kFile, kPassword); }},
    {"unprotect", [](Session& session) { session.unprotectTable(kFile); }},
    {"restructure",
     [](Session& session) {
         TableDefinition wider = credentials::definition();
         wider.fields[3].size = 64;
         session.restructureTable(kFile, wider);
     }},
};

TEST_F(TableSharingTest, WholeFileChangesAreRefusedWhileTheTableIsOpenAnywhere) {
    session_.addPassword(kPassword);
    for (const auto& change : kWholeFileChanges) {
        for (OpenMode mode : {OpenMode::ReadWrite, OpenMode::ReadOnly}) {
            SCOPED_TRACE(change.name);
            const std::string before = readFileBytes(kFile);
            {
                const auto open = session_.openTable(kFile, mode);
                Session other;
                other.addPassword(kPassword);
                EXPECT_THAT([&] { change.run(other); }, ThrowsEngineError(ErrorCode::TableInUse));
                EXPECT_TRUE(readFileBytes(kFile) == before) << "a refused change wrote the file";
            }
            EXPECT_NO_THROW(change.run(session_));
            EXPECT_EQ(*session_.openTable(kFile, OpenMode::ReadOnly)->read(1), kRecord);
        }
    }
}

TEST_F(TableSharingTest, ARewriteRemovesWhatAKilledRewriteLeftAside) {
    veltrop::testing::writeFileBytes(kFile + ".new-Ab12Cd", "half a table");
    veltrop::testing::writeFileBytes(kFile + ".new-Ab12Cd-journal", "its journal");
    veltrop::testing::writeFileBytes(kFile + ".keep", "someone else's");
    session_.unprotectTable(kFile);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{kFile, kFile + ".keep"}));
}

TEST_F(TableSharingTest, NothingOpensTheTableWhileItIsRewritten) {
    const SoleUse rewriting(kFile);
    for (OpenMode mode : {OpenMode::ReadWrite, OpenMode::ReadOnly}) {
        EXPECT_THAT([&] { session_.openTable(kFile, mode); },
                    ThrowsEngineError(ErrorCode::TableLocked));
    }
    EXPECT_THAT([&] { SoleUse second(kFile); }, ThrowsEngineError(ErrorCode::TableInUse));
}

TEST_F(TableSharingTest, RestructuringOnlyWidensAndKeepsEveryRecord) {
    TableDefinition wider = credentials::definition();
    wider.fields[3].size = 255;
    session_.restructureTable(kFile, wider);
    const auto table = session_.openTable(kFile, OpenMode::ReadWrite);
    EXPECT_EQ(table->definition(), wider);
    EXPECT_EQ(*table->read(1), kRecord);
    EXPECT_EQ(table->insert(kRecord), 2) << "record numbers go on after the rewrite";
}

TEST_F(TableSharingTest, NarrowingIsRefusedAndChangesNothing) {
    TableDefinition narrower = credentials::definition();
    narrower.fields[0].size = 10;
    const std::string before = readFileBytes(kFile);
    EXPECT_THAT([&] { session_.restructureTable(kFile, narrower); },
                ThrowsEngineError(ErrorCode::WrongStructure));
    EXPECT_TRUE(readFileBytes(kFile) == before);
}

TEST_F(TableSharingTest, BackupCopiesWhileOpenWithTheSameKeyAndNeverReplaces) {
    session_.protectTable(kFile, kPassword);
    session_.addPassword(kPassword);
    const auto open = session_.openTable(kFile, OpenMode::ReadWrite);
    session_.backupTable(kFile, "copy.db");
    EXPECT_EQ(readFileBytes("copy.db").substr(0, kSaltSize),
              readFileBytes(kFile).substr(0, kSaltSize));
    struct stat info {};
    ASSERT_EQ(stat("copy.db", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(*session_.openTable("copy.db", OpenMode::ReadOnly)->read(1), kRecord);

    const std::string copy = readFileBytes("copy.db");
    EXPECT_THAT([&] { session_.backupTable(kFile, "copy.db"); },
                ThrowsEngineError(ErrorCode::TableExists));
    EXPECT_TRUE(readFileBytes("copy.db") == copy);
}

}  // namespace
}  // namespace veltrop::engine
