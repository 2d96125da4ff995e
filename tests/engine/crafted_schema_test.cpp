// A table file is input: whatever its schema holds beyond a table's own objects makes it
// damaged, on opening, before anything in it can run, and a schema that crashes the
// storage library crashes only the probe.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine/admitted_files.h"
#include "engine/connection.h"
#include "engine/error.h"
#include "engine/error_text.h"
#include "engine/session.h"
#include "support/crafted_tables.h"
#include "support/credential_records.h"
#include "support/expect_error.h"
#include "support/raw_database.h"
#include "support/temp_folder.h"

namespace veltrop {
namespace {

using engine::EngineError;
using engine::ErrorCode;
using engine::OpenMode;
using testing::CraftedTable;

constexpr const char* kFile = "Veltrop.DB";

class CraftedSchemaTest : public ::testing::TestWithParam<CraftedTable> {
protected:
    testing::TempFolder folder_;
};

TEST_P(CraftedSchemaTest, OpeningSaysDamagedNamesTheObjectAndLeavesTheFile) {
    const CraftedTable& crafted = GetParam();
    testing::writeCraftedTable(kFile, crafted);
    const std::string before = testing::readFileBytes(kFile);
    for (OpenMode mode : {OpenMode::ReadWrite, OpenMode::ReadOnly}) {
        engine::Session session;
        try {
            session.openTable(kFile, mode);
            ADD_FAILURE() << "opened";
        } catch (const EngineError& error) {
            EXPECT_EQ(error.code(), ErrorCode::TableDamaged) << error.message();
            EXPECT_EQ(error.message().rfind(engine::codeMessage(ErrorCode::TableDamaged), 0), 0u);
            EXPECT_NE(error.message().find(crafted.named), std::string::npos) << error.message();
        }
    }
    EXPECT_TRUE(testing::readFileBytes(kFile) == before) << "opening changed the file";
}

INSTANTIATE_TEST_SUITE_P(Schemas, CraftedSchemaTest, ::testing::ValuesIn(testing::craftedTables()),
                         [](const auto& info) { return std::string(info.param.name); });

// What a table has always held opens, with or without its index, plain or protected,
// and after every rewrite.
TEST(TableSchemaTest, EveryTableTheEngineMakesOpens) {
    testing::TempFolder folder;
    engine::Session session;
    testing::createCredentialTable(session, kFile, {{"Mail", "mail.example.org", "a", "b", ""}});
    auto opensWithOneRecord = [&](const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(session.openTable(kFile, OpenMode::ReadOnly)->recordCount(), 1);
    };
    opensWithOneRecord("new");
    auto definition = credentials::definition();
    definition.fields[3].size = 64;
    session.restructureTable(kFile, definition);
    opensWithOneRecord("widened");
    session.protectTable(kFile, "pass");
    session.addPassword("pass");
    opensWithOneRecord("protected");
    session.unprotectTable(kFile);
    opensWithOneRecord("unprotected");
    testing::RawDatabase(kFile).exec("DROP INDEX \"Description_Non_Unique\"");
    opensWithOneRecord("without its index");
}

// Should a trigger ever reach a connection, nothing of it runs: the write is refused.
TEST(TableSchemaTest, NothingRunsInsideATrigger) {
    testing::TempFolder folder;
    engine::Session session;
    testing::createCredentialTable(session, kFile, {{"Mail", "mail.example.org", "a", "b", ""}});
    testing::RawDatabase(kFile).exec(testing::kLeakingTrigger);
    engine::Connection connection(kFile, false, {});
    try {
        connection.execute("UPDATE records SET PASSWORD = 'new'");
        ADD_FAILURE() << "the trigger ran";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.code(), ErrorCode::TableDamaged) << error.message();
    }
    EXPECT_EQ(testing::RawDatabase(kFile).row("SELECT URL, PASSWORD FROM records")[0].bytes,
              "mail.example.org");
}

// A verdict of the probe is kept, across runs too, only for the file as it was: a trigger
// written into a table after it was found sound is found on the next opening.
TEST(TableSchemaTest, ATableChangedAfterItWasFoundSoundIsProbedAgain) {
    testing::TempFolder folder;
    engine::Session session;
    testing::createCredentialTable(session, kFile, {{"Mail", "mail.example.org", "a", "b", ""}});
    // Only a file left alone for a moment is remembered as sound.
    const auto settles = [] {
        for (int tries = 0; tries < 100; ++tries) {
            if (engine::settledStateOf(kFile)) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    };
    ASSERT_TRUE(settles());
    EXPECT_EQ(session.openTable(kFile, OpenMode::ReadOnly)->recordCount(), 1);
    ASSERT_TRUE(engine::wasAdmitted(*engine::settledStateOf(kFile)));

    testing::RawDatabase(kFile).exec(testing::kLeakingTrigger);
    ASSERT_TRUE(settles());
    EXPECT_THAT([&] { session.openTable(kFile, OpenMode::ReadOnly); },
                testing::ThrowsEngineError(ErrorCode::TableDamaged));
}

}  // namespace
}  // namespace veltrop
