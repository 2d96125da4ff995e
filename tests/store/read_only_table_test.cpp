// A table file without write permission (for everyone, root included) opens
// read-only: its records show, and no cursor operation changes it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "engine/error.h"
#include "engine/session.h"
#include "store/credential_table.h"
#include "store/errors.h"
#include "store/table.h"
#include "support/credential_records.h"
#include "support/expect_error.h"
#include "support/temp_folder.h"

namespace veltrop {
namespace {

using testing::Record;
using testing::ThrowsEngineError;
using testing::ThrowsErrorWithMessage;

constexpr const char* kFile = "Veltrop.DB";
constexpr const char* kRefusal = "Table1: Cannot modify a read-only dataset";

const std::vector<Record> kRecords = {
    {"Mail", "https://mail.example.org", "anna", "first-pass", "two\nlines"},
    {"Bank", "https://bank.example.org", "anna.k", "pin-1234", ""},
};

class ReadOnlyTableTest : public ::testing::Test {
protected:
    void makeReadOnlyTable(const std::vector<Record>& records) {
        engine::Session session;
        testing::createCredentialTable(session, kFile, records);
        std::filesystem::permissions(kFile, std::filesystem::perms::owner_read |
                                                std::filesystem::perms::group_read |
                                                std::filesystem::perms::others_read);
        before_ = testing::readFileBytes(kFile);
    }

    void TearDown() override {
        EXPECT_TRUE(testing::readFileBytes(kFile) == before_) << "the read-only file changed";
        EXPECT_FALSE(std::filesystem::exists("Veltrop.DB-journal"));
    }

    testing::TempFolder folder_;
    engine::Session session_;
    std::string before_;
};

TEST_F(ReadOnlyTableTest, OpensAndShowsItsRecords) {
    makeReadOnlyTable(kRecords);
    Table table("Table1", session_, kFile, credentials::definition());
    table.open();
    EXPECT_TRUE(table.readOnly());
    EXPECT_EQ(table.state(), TableState::Browse);
    EXPECT_EQ(testing::currentRecord(table), kRecords[0]);
    EXPECT_EQ(testing::readRecords(table), kRecords);
}

TEST_F(ReadOnlyTableTest, EngineRefusesReadWriteAndOpensReadOnly) {
    makeReadOnlyTable(kRecords);
    EXPECT_THAT([&] { session_.openTable(kFile, engine::OpenMode::ReadWrite); },
                ThrowsEngineError(engine::ErrorCode::ReadOnly));
    auto file = session_.openTable(kFile, engine::OpenMode::ReadOnly);
    EXPECT_TRUE(file->readOnly());
    EXPECT_EQ(file->recordCount(), 2);
}

TEST_F(ReadOnlyTableTest, RefusesEditAndInsertAndKeepsBrowsing) {
    makeReadOnlyTable(kRecords);
    Table table("Table1", session_, kFile, credentials::definition());
    table.open();
    table.next();
    EXPECT_THAT([&] { table.Edit(); }, ThrowsErrorWithMessage<DatabaseError>(kRefusal));
    EXPECT_EQ(table.state(), TableState::Browse);
    EXPECT_THAT([&] { table.Insert(); }, ThrowsErrorWithMessage<DatabaseError>(kRefusal));
    EXPECT_EQ(table.state(), TableState::Browse);
    EXPECT_EQ(testing::currentRecord(table), kRecords[1]);
}

TEST_F(ReadOnlyTableTest, EditOfAnEmptyTableIsRefusedAsInsert) {
    makeReadOnlyTable({});
    Table table("Table1", session_, kFile, credentials::definition());
    table.open();
    EXPECT_THAT([&] { table.Edit(); }, ThrowsErrorWithMessage<DatabaseError>(kRefusal));
    EXPECT_EQ(table.state(), TableState::Browse);
    EXPECT_TRUE(table.isEmpty());
}

TEST_F(ReadOnlyTableTest, DeleteRemovesNothing) {
    makeReadOnlyTable(kRecords);
    Table table("Table1", session_, kFile, credentials::definition());
    table.open();
    EXPECT_THROW(table.Delete(), Error);
    EXPECT_EQ(testing::recordsInFile(kFile), kRecords);
}

}  // namespace
}  // namespace veltrop
