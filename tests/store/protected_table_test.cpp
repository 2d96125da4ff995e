// A table protected with a password holds nothing readable and opens only with a
// listed password, whether listed beforehand or through the cursor's prompt.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "engine/error.h"
#include "engine/session.h"
#include "store/credential_table.h"
#include "store/table.h"
#include "support/credential_records.h"
#include "support/expect_error.h"
#include "support/temp_folder.h"

namespace veltrop {
namespace {

using engine::EngineError;
using engine::ErrorCode;
using testing::Record;
using testing::ThrowsEngineError;

constexpr const char* kFile = "Veltrop.DB";
constexpr const char* kTablePassword = "correct horse battery";
constexpr const char* kWrongPassword = "correct horse";

const std::vector<Record> kRecords = {
    {"Sparkasse Online Banking", "https://banking.example.de", "kontoinhaber", "hunter2-secret-77",
     "PIN letter in the blue folder"},
    {"Mail", "https://mail.example.org", "anna", "first-pass", ""},
};

bool fileContains(const std::string& text) {
    return testing::readFileBytes(kFile).find(text) != std::string::npos;
}

unsigned fileMode(const std::string& name) {
    struct stat status {};
    if (stat(name.c_str(), &status) != 0) {
        return 0;
    }
    return status.st_mode & 07777;
}

std::vector<std::string> folderEntries() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

class ProtectedTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine::Session session;
        testing::createCredentialTable(session, kFile, kRecords);
        ASSERT_TRUE(fileContains(kRecords[0][3])) << "a plain table shows its text";
        session.protectTable(kFile, kTablePassword);
    }

    // A cursor of a session that lists these passwords.
    void expectOpensWith(const std::vector<std::string>& passwords) {
        EXPECT_EQ(testing::recordsInFile(kFile, passwords), kRecords);
    }

    void expectRefusedBy(engine::Session& session) {
        EXPECT_THAT([&] { session.openTable(kFile, engine::OpenMode::ReadWrite); },
                    ThrowsEngineError(ErrorCode::InsufficientRights));
        Table table("Table1", session, kFile, credentials::definition());
        EXPECT_THAT([&] { table.open(); }, ThrowsEngineError(ErrorCode::InsufficientRights));
        EXPECT_EQ(table.state(), TableState::Inactive);
    }

    testing::TempFolder folder_;
};

TEST_F(ProtectedTableTest, FileHoldsNoReadableFieldText) {
    for (const Record& record : kRecords) {
        for (const std::string& value : record) {
            if (value.size() >= 4) {
                EXPECT_FALSE(fileContains(value)) << value;
            }
        }
    }
    EXPECT_FALSE(fileContains("DESCRIPTION"));
    EXPECT_FALSE(fileContains("SQLite format 3"));
    EXPECT_EQ(testing::readFileBytes(kFile).size() % 1024, 0u);
    EXPECT_EQ(fileMode(kFile), 0600u);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{kFile}) << "protecting left files behind";
}

TEST_F(ProtectedTableTest, OpensOnlyWithAListedPasswordThatFits) {
    engine::Session none;
    expectRefusedBy(none);
    engine::Session wrong;
    wrong.addPassword(kWrongPassword);
    expectRefusedBy(wrong);

    expectOpensWith({kTablePassword});
    expectOpensWith({kWrongPassword, kTablePassword});
}

TEST_F(ProtectedTableTest, PromptIsAskedUntilAPasswordFits) {
    engine::Session session;
    Table table("Table1", session, kFile, credentials::definition());
    int asked = 0;
    table.setPasswordPrompt([&] {
        session.addPassword(++asked == 1 ? kWrongPassword : kTablePassword);
        return true;
    });
    table.open();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(testing::readRecords(table), kRecords);
}

TEST_F(ProtectedTableTest, DeclinedPromptFailsWithTheEnginesError) {
    engine::Session session;
    Table table("Table1", session, kFile, credentials::definition());
    int asked = 0;
    table.setPasswordPrompt([&] {
        ++asked;
        if (asked <= 3) {
            session.addPassword(kWrongPassword + std::to_string(asked));
        }
        return asked <= 3;
    });
    EXPECT_THAT([&] { table.open(); }, ThrowsEngineError(ErrorCode::InsufficientRights));
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(table.state(), TableState::Inactive);
}

TEST_F(ProtectedTableTest, RemovedPasswordsServeNoLaterOpen) {
    engine::Session session;
    session.addPassword(kTablePassword);
    EXPECT_NO_THROW(session.openTable(kFile, engine::OpenMode::ReadWrite));
    session.removePassword(kTablePassword);
    expectRefusedBy(session);

    session.addPassword(kWrongPassword);
    session.addPassword(kTablePassword);
    EXPECT_NO_THROW(session.openTable(kFile, engine::OpenMode::ReadWrite));
    session.removeAllPasswords();
    EXPECT_TRUE(session.passwords().empty());
    expectRefusedBy(session);
}

TEST_F(ProtectedTableTest, ChangesAreStoredProtected) {
    {
        engine::Session session;
        session.addPassword(kTablePassword);
        Table table("Table1", session, kFile, credentials::definition());
        table.open();
        table.Edit();
        table.fieldByName(credentials::kNote).setAsString("moved to the red folder");
        table.Post();
    }
    EXPECT_FALSE(fileContains("moved to the red folder"));
    std::vector<Record> expected = kRecords;
    expected[0][4] = "moved to the red folder";
    EXPECT_EQ(testing::recordsInFile(kFile, {kTablePassword}), expected);
}

TEST_F(ProtectedTableTest, ProtectingAgainChangesThePassword) {
    engine::Session session;
    session.addPassword(kTablePassword);
    session.protectTable(kFile, "a new password");
    expectOpensWith({"a new password"});
    engine::Session old;
    old.addPassword(kTablePassword);
    expectRefusedBy(old);
    EXPECT_EQ(fileMode(kFile), 0600u);
}

TEST_F(ProtectedTableTest, UnprotectingMakesItPlainWithTheRecords) {
    engine::Session without;
    const std::string before = testing::readFileBytes(kFile);
    EXPECT_THAT([&] { without.unprotectTable(kFile); },
                ThrowsEngineError(ErrorCode::InsufficientRights));
    EXPECT_TRUE(testing::readFileBytes(kFile) == before) << "a refused unprotect changed the file";

    engine::Session session;
    session.addPassword(kTablePassword);
    session.unprotectTable(kFile);
    EXPECT_EQ(testing::readFileBytes(kFile).substr(0, 16), std::string("SQLite format 3\0", 16));
    EXPECT_TRUE(fileContains(kRecords[0][3]));
    expectOpensWith({});
    EXPECT_EQ(fileMode(kFile), 0600u);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{kFile});
}

TEST(CreatedTableTest, IsReadableAndWritableByItsOwnerOnly) {
    testing::TempFolder folder;
    const mode_t previous = umask(0);
    engine::Session session;
    EXPECT_NO_THROW(session.createTable(kFile, credentials::definition()));
    umask(previous);
    EXPECT_EQ(fileMode(kFile), 0600u);
    EXPECT_EQ(testing::recordsInFile(kFile), std::vector<Record>{});
}

}  // namespace
}  // namespace veltrop
