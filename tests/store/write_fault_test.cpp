// Every write the cursor makes must be all or nothing: whichever write, sync,
// truncation, creation or deletion of a file fails, the cursor keeps the user's
// work, the file keeps its old records, and a retry once the fault is gone stores
// the work.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "engine/error.h"
#include "engine/error_text.h"
#include "engine/session.h"
#include "store/credential_table.h"
#include "store/table.h"
#include "support/credential_records.h"
#include "support/faulty_vfs.h"
#include "support/raw_database.h"
#include "support/temp_folder.h"

namespace veltrop {
namespace {

using engine::EngineError;
using engine::ErrorCode;
using testing::FaultKind;
using testing::FaultMode;
using testing::FaultyVfs;
using testing::Record;

constexpr const char* kFile = "Veltrop.DB";
constexpr const char* kJournal = "Veltrop.DB-journal";

const std::vector<Record> kOldRecords = {
    {"Mail", "https://mail.example.org", "anna", "first-pass", "two\nlines"},
    {"Bank", "https://bank.example.org", "anna.k", "pin-1234", ""},
    {"Shop", "shop.example.com", "ak", "s3cret", "note"},
};
// What the user typed; the middle record is the one edited or deleted.
const Record kTyped = {"Bank (new)", "https://bank.example.net/login", "anna.k2", "pin-9876",
                       "changed\nnote"};

enum class Operation { PostEdit, PostInsert, InsertSettlingEdit, Delete };

struct Scenario {
    Operation operation;
    FaultMode mode;
    FaultKind kind;
};

std::string describe(const Scenario& scenario) {
    static constexpr const char* kOperations[] = {"PostEdit", "PostInsert", "InsertSettlingEdit",
                                                  "Delete"};
    return std::string(kOperations[static_cast<int>(scenario.operation)]) +
           (scenario.mode == FaultMode::OneShot ? "_OneShot" : "_Persistent") +
           (scenario.kind == FaultKind::DiskFull ? "_DiskFull" : "_IoError");
}

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << describe(scenario);
}

std::string joined(const std::vector<std::string>& lines) {
    std::ostringstream out;
    for (std::size_t index = 0; index < lines.size(); ++index) {
        out << "\n  " << index + 1 << ": " << lines[index];
    }
    return out.str();
}

class WriteFaultTest : public ::testing::TestWithParam<Scenario> {
protected:
    void SetUp() override {
        FaultyVfs::instance().disarm();
        engine::Session session;
        testing::createCredentialTable(session, "Template.DB", kOldRecords);
        template_ = testing::readFileBytes("Template.DB");
    }
    void TearDown() override { FaultyVfs::instance().disarm(); }

    Operation operation() const { return GetParam().operation; }

    // A fresh copy of the table with the cursor just before the operation.
    std::unique_ptr<Table> prepare(engine::Session& session) {
        std::filesystem::remove(kJournal);
        testing::writeFileBytes(kFile, template_);
        auto table = std::make_unique<Table>("Table1", session, kFile, credentials::definition());
        table->open();
        switch (operation()) {
            case Operation::PostEdit:
            case Operation::InsertSettlingEdit:
                table->next();
                table->Edit();
                testing::assignRecord(*table, kTyped);
                break;
            case Operation::PostInsert:
                table->Insert();
                testing::assignRecord(*table, kTyped);
                break;
            case Operation::Delete:
                table->next();
                break;
        }
        return table;
    }

    void run(Table& table) {
        switch (operation()) {
            case Operation::PostEdit:
            case Operation::PostInsert:
                table.Post();
                break;
            case Operation::InsertSettlingEdit:
                table.Insert();
                break;
            case Operation::Delete:
                table.Delete();
                break;
        }
    }

    int countWritePoints() {
        engine::Session session(engine::SessionOptions{.vfsName = FaultyVfs::kName});
        auto table = prepare(session);
        FaultyVfs::instance().resetCount();
        run(*table);
        return FaultyVfs::instance().writePoints();
    }

    // The cursor as it was before the failed operation: the typed values still
    // pending, or the record that was to be deleted still current.
    void expectCursorKept(const Table& table) {
        switch (operation()) {
            case Operation::PostEdit:
            case Operation::InsertSettlingEdit:
                EXPECT_EQ(table.state(), TableState::Edit);
                EXPECT_TRUE(table.modified());
                EXPECT_EQ(testing::currentRecord(table), kTyped);
                expectEditedRecordLocked();
                break;
            case Operation::PostInsert:
                EXPECT_EQ(table.state(), TableState::Insert);
                EXPECT_TRUE(table.modified());
                EXPECT_EQ(testing::currentRecord(table), kTyped);
                break;
            case Operation::Delete:
                EXPECT_EQ(table.state(), TableState::Browse);
                EXPECT_EQ(testing::currentRecord(table), kOldRecords[1]);
                break;
        }
    }

    // Still being edited, so no other cursor may take it.
    void expectEditedRecordLocked() {
        engine::Session session;
        Table other("Table1", session, kFile, credentials::definition());
        other.open();
        other.next();
        try {
            other.Edit();
            ADD_FAILURE() << "the record's lock was lost with the failed write";
        } catch (const EngineError& error) {
            EXPECT_EQ(error.code(), ErrorCode::RecordLocked) << error.message();
        }
    }

    std::vector<Record> recordsAfterSuccess() const {
        std::vector<Record> records = kOldRecords;
        switch (operation()) {
            case Operation::PostEdit:
            case Operation::InsertSettlingEdit:
                records[1] = kTyped;
                break;
            case Operation::PostInsert:
                records.push_back(kTyped);
                break;
            case Operation::Delete:
                records.erase(records.begin() + 1);
                break;
        }
        return records;
    }

    void expectWriteRefused(Table& table) {
        const ErrorCode expected =
            GetParam().kind == FaultKind::DiskFull ? ErrorCode::DiskFull : ErrorCode::WriteFailed;
        try {
            run(table);
            ADD_FAILURE() << "the operation succeeded although a write failed";
        } catch (const EngineError& error) {
            EXPECT_EQ(error.code(), expected) << error.message();
            EXPECT_NE(error.message().find(engine::codeMessage(expected)), std::string::npos)
                << error.message();
        }
    }

    testing::TempFolder folder_;
    std::string template_;
};

TEST_P(WriteFaultTest, EveryFailingWritePointLeavesFileAndCursorIntact) {
    const Scenario scenario = GetParam();
    FaultyVfs& vfs = FaultyVfs::instance();
    const int writePoints = countWritePoints();
    ASSERT_GT(writePoints, 0);
    const std::vector<std::string> points = vfs.log();

    for (int point = 1; point <= writePoints; ++point) {
        SCOPED_TRACE("failing write point " + std::to_string(point) + ": " + points[point - 1]);
        engine::Session session(engine::SessionOptions{.vfsName = FaultyVfs::kName});
        vfs.disarm();
        auto table = prepare(session);
        const std::string before = testing::readFileBytes(kFile);

        vfs.arm(point, scenario.mode, scenario.kind);
        expectWriteRefused(*table);
        ASSERT_GE(vfs.faultsInjected(), 1) << "the armed write point was never reached";
        if (scenario.mode == FaultMode::OneShot) {
            EXPECT_EQ(vfs.faultsInjected(), 1);
        }
        vfs.disarm();
        expectCursorKept(*table);

        // A new session rolls back whatever the failed write left half done: when only
        // the journal's deletion failed, the file holds the new pages until then.
        EXPECT_EQ(testing::recordsInFile(kFile), kOldRecords);
        if (scenario.mode == FaultMode::OneShot) {
            EXPECT_TRUE(testing::readFileBytes(kFile) == before)
                << "the file's bytes differ from those before the operation";
            EXPECT_FALSE(std::filesystem::exists(kJournal));
        }
        EXPECT_EQ(testing::RawDatabase(kFile).integrityCheck(), "ok");

        EXPECT_NO_THROW(run(*table));
        EXPECT_EQ(table->state(), operation() == Operation::InsertSettlingEdit
                                      ? TableState::Insert
                                      : TableState::Browse);
        EXPECT_EQ(testing::recordsInFile(kFile), recordsAfterSuccess());
        EXPECT_EQ(testing::RawDatabase(kFile).integrityCheck(), "ok");
    }
}

std::vector<Scenario> allScenarios() {
    std::vector<Scenario> scenarios;
    for (Operation operation : {Operation::PostEdit, Operation::PostInsert,
                                Operation::InsertSettlingEdit, Operation::Delete}) {
        for (FaultMode mode : {FaultMode::OneShot, FaultMode::Persistent}) {
            for (FaultKind kind : {FaultKind::DiskFull, FaultKind::IoError}) {
                scenarios.push_back({operation, mode, kind});
            }
        }
    }
    return scenarios;
}

INSTANTIATE_TEST_SUITE_P(AllWrites, WriteFaultTest, ::testing::ValuesIn(allScenarios()),
                         [](const auto& info) { return describe(info.param); });

TEST(FaultyVfsTest, CountsOnlyWritesAndFailsTheArmedOne) {
    testing::TempFolder folder;
    FaultyVfs& vfs = FaultyVfs::instance();
    engine::Session session(engine::SessionOptions{.vfsName = FaultyVfs::kName});
    testing::createCredentialTable(session, kFile, kOldRecords);

    Table table("Table1", session, kFile, credentials::definition());
    vfs.resetCount();
    table.open();
    EXPECT_EQ(testing::readRecords(table), kOldRecords);
    EXPECT_EQ(vfs.writePoints(), 0) << "reading counted as writing:" << joined(vfs.log());

    table.first();
    table.Edit();
    table.field(0).setAsString("Changed");
    vfs.arm(1, FaultMode::OneShot, FaultKind::DiskFull);
    EXPECT_THROW(table.Post(), EngineError);
    EXPECT_EQ(vfs.faultsInjected(), 1);
    EXPECT_EQ(vfs.log().front(), "create Veltrop.DB-journal");
}

}  // namespace
}  // namespace veltrop
