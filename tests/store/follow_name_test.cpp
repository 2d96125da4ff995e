// The cursor follows the name Veltrop.DB when another file is put in its place by
// rename, the way a sync service or a restore does it, in every state of the cursor.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/error.h"
#include "engine/session.h"
#include "engine/sole_use.h"
#include "store/credential_table.h"
#include "store/errors.h"
#include "store/table.h"
#include "support/credential_records.h"
#include "support/temp_folder.h"

namespace veltrop {
namespace {

using testing::Record;
using Records = std::vector<Record>;

constexpr const char* kFile = "Veltrop.DB";
constexpr const char* kSavedAsNew =
    "This record was changed on another machine. Your version was saved as a new record.";

const Record kMail = {"Mail", "https://mail.example.org", "anna", "first", "old note"};
const Record kBank = {"Bank", "https://bank.example", "konto", "1234", ""};
const Record kShop = {"Shop", "https://shop.example", "buyer", "pw", ""};
const Record kForum = {"Forum", "https://forum.example", "anna", "f", ""};

Record with(Record record, int field, const std::string& value) {
    record.at(field) = value;
    return record;
}

std::vector<std::string> savedAsNewNotices(bool savedAsNew) {
    return savedAsNew ? std::vector<std::string>{kSavedAsNew} : std::vector<std::string>{};
}

class FollowNameTest : public ::testing::Test {
protected:
    void SetUp() override { testing::createCredentialTable(session_, kFile, {kMail, kBank}); }

    std::unique_ptr<Table> openCursor() {
        auto table = std::make_unique<Table>(QStringLiteral("Table1"), session_, kFile,
                                             credentials::definition());
        table->setNotice([this](const QString& text) { notices_.push_back(text.toStdString()); });
        table->open();
        return table;
    }

    // What another machine's copy of the table brings: written aside, renamed in place.
    void replaceWith(const Records& records, const std::string& password = {}) {
        std::remove("incoming.DB");
        engine::Session other;
        testing::createCredentialTable(other, "incoming.DB", records);
        if (!password.empty()) {
            other.protectTable("incoming.DB", password);
        }
        ASSERT_EQ(std::rename("incoming.DB", kFile), 0);
    }

    static void moveTo(Table& table, const Record& record) {
        ASSERT_TRUE(
            table.Locate(credentials::kLocateKey,
                         {QString::fromStdString(record[0]), QString::fromStdString(record[1]),
                          QString::fromStdString(record[2]), QString::fromStdString(record[3])}));
    }

    static void type(Table& table, int field, const std::string& value) {
        table.Edit();
        table.field(field).setAsString(QString::fromStdString(value));
    }

    testing::TempFolder folder_;
    engine::Session session_;
    std::vector<std::string> notices_;
};

TEST_F(FollowNameTest, BrowseKeepsTheShownRecordOrItsNeighbour) {
    const struct {
        const char* what;
        Records incoming;
        Record expected;
    } cases[] = {
        {"moved in table order", {kShop, kForum, kBank, kMail}, kBank},
        {"deleted, the next follows", {kMail, kShop}, kShop},
        {"the last deleted, the one before", {kMail}, kMail},
        {"changed in place", {kMail, with(kBank, 3, "9999")}, with(kBank, 3, "9999")},
        {"every record gone", {}, Record(5)},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        replaceWith({kMail, kBank});
        const auto table = openCursor();
        moveTo(*table, kBank);
        replaceWith(test.incoming);
        table->followName();
        EXPECT_EQ(testing::currentRecord(*table), test.expected);
        EXPECT_EQ(table->state(), TableState::Browse);
        EXPECT_EQ(testing::readRecords(*table), test.incoming);
    }
    EXPECT_TRUE(notices_.empty());
}

TEST_F(FollowNameTest, EveryCommandFollowsBeforeItActs) {
    const auto table = openCursor();
    replaceWith({kMail, kBank, kShop});
    EXPECT_TRUE(
        table->Locate(credentials::kLocateKey, {"Shop", "https://shop.example", "buyer", "pw"}));
    replaceWith({kShop, kForum});
    table->Refresh();
    EXPECT_EQ(testing::currentRecord(*table), kShop);
    replaceWith({kForum, kShop});
    table->Delete();
    EXPECT_EQ(testing::recordsInFile(kFile), (Records{kForum}));
    replaceWith({kForum, kMail});
    table->Insert();
    table->field(0).setAsString("New");
    table->Post();
    EXPECT_EQ(testing::recordsInFile(kFile).size(), 3u);
}

TEST_F(FollowNameTest, DeleteRemovesNothingWhenTheShownRecordIsGone) {
    const auto table = openCursor();
    moveTo(*table, kBank);
    replaceWith({kMail, kShop});
    table->Delete();
    EXPECT_EQ(testing::recordsInFile(kFile), (Records{kMail, kShop}));
    EXPECT_EQ(testing::currentRecord(*table), kShop);
}

TEST_F(FollowNameTest, AnEditIsWrittenIntoTheNewFile) {
    const Record typed = with(kMail, 3, "typed");
    const Record theirs = with(typed, 4, "their note");
    const Record joined = with(typed, 4, "their note\nold note");
    const struct {
        const char* what;
        Records incoming;
        Records expected;
        Record current;
        bool savedAsNew;
    } cases[] = {
        {"the record unchanged there", {kShop, kMail, kBank}, {kShop, typed, kBank}, typed, false},
        {"the record changed there",
         {with(kMail, 3, "theirs"), kBank},
         {with(kMail, 3, "theirs"), kBank, typed},
         typed,
         true},
        {"the record deleted there", {kBank}, {kBank, typed}, typed, true},
        {"equal to theirs in the text fields: notes joined",
         {kBank, theirs},
         {kBank, joined},
         joined,
         true},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        notices_.clear();
        replaceWith({kMail, kBank});
        const auto table = openCursor();
        type(*table, 3, "typed");
        replaceWith(test.incoming);
        table->Post();
        EXPECT_EQ(testing::recordsInFile(kFile), test.expected);
        EXPECT_EQ(testing::currentRecord(*table), test.current);
        EXPECT_EQ(notices_, savedAsNewNotices(test.savedAsNew));
    }
}

TEST_F(FollowNameTest, AnEditMovesItsRecordLockToTheNewFile) {
    const auto table = openCursor();
    // "Save Changes?" answered No: Refresh follows, then stops with the edit pending.
    table->setBeforePost([](Table&) { throw Abort(); });
    type(*table, 3, "typed");
    ASSERT_EQ(link(kFile, "old.DB"), 0);
    replaceWith({kBank, kMail});
    EXPECT_THROW(table->Refresh(), Abort);
    ASSERT_EQ(table->state(), TableState::Edit);

    engine::Session other;
    other.openTable("old.DB", engine::OpenMode::ReadWrite)->lock(1);
    try {
        other.openTable(kFile, engine::OpenMode::ReadWrite)->lock(2);
        ADD_FAILURE() << "the edited record is not locked in the new file";
    } catch (const engine::EngineError& error) {
        EXPECT_EQ(error.code(), engine::ErrorCode::RecordLocked);
    }
    EXPECT_THROW(engine::SoleUse{kFile}, engine::EngineError) << "the new file is in use";
    EXPECT_NO_THROW(engine::SoleUse{"old.DB"}) << "the old file is let go";
}

TEST_F(FollowNameTest, AnInsertIsAddedToTheNewFile) {
    const auto table = openCursor();
    table->Insert();
    table->field(0).setAsString("Typed");
    replaceWith({kShop});
    table->Post();
    EXPECT_EQ(testing::recordsInFile(kFile), (Records{kShop, {"Typed", "", "", "", ""}}));
    EXPECT_TRUE(notices_.empty());
}

TEST_F(FollowNameTest, ANameThatLeadsNowhereKeepsTheOpenFileAndSaysSoOnce) {
    const auto table = openCursor();
    ASSERT_EQ(std::rename(kFile, "moved.DB"), 0);
    type(*table, 3, "typed");
    // A file that its name no longer leads to takes no writes: they would be lost.
    try {
        table->Post();
        ADD_FAILURE() << "wrote into a file that has no name";
    } catch (const engine::EngineError& error) {
        EXPECT_EQ(error.code(), engine::ErrorCode::ReadOnly);
        EXPECT_NE(error.message().find("moved"), std::string::npos) << error.message();
    }
    EXPECT_EQ(table->state(), TableState::Edit);
    EXPECT_THROW(table->Post(), engine::EngineError);
    EXPECT_EQ(notices_.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(kFile));

    ASSERT_EQ(std::rename("moved.DB", kFile), 0);
    table->Post();
    EXPECT_EQ(testing::recordsInFile(kFile), (Records{with(kMail, 3, "typed"), kBank}));
}

TEST_F(FollowNameTest, AFileThatIsNoTableIsNotFollowed) {
    const auto table = openCursor();
    testing::writeFileBytes("incoming.DB", std::string(4000, 'x'));
    ASSERT_EQ(std::rename("incoming.DB", kFile), 0);
    table->followName();
    table->Refresh();
    EXPECT_EQ(notices_.size(), 1u);
    EXPECT_EQ(testing::readRecords(*table), (Records{kMail, kBank}));
}

TEST_F(FollowNameTest, AnotherPasswordIsAskedForAndCancelKeepsTheEdit) {
    constexpr const char* kTheirs = "changed elsewhere";
    const auto table = openCursor();
    bool giveIt = false;
    int asked = 0;
    table->setPasswordPrompt([&] {
        ++asked;
        if (giveIt) {
            session_.addPassword(kTheirs);
        }
        return giveIt;
    });
    type(*table, 3, "typed");
    replaceWith({kMail, kShop}, kTheirs);
    table->followName();
    EXPECT_EQ(asked, 0) << "a notification never asks";
    EXPECT_THROW(table->Post(), Abort);
    EXPECT_EQ(table->state(), TableState::Edit);
    EXPECT_EQ(table->field(3).asString().toStdString(), "typed");
    giveIt = true;
    table->Post();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(testing::recordsInFile(kFile, {kTheirs}), (Records{with(kMail, 3, "typed"), kShop}));
}

TEST_F(FollowNameTest, TheSelectionCursorFollowsOnlyWhenRefreshed) {
    auto list = std::make_unique<Table>(QStringLiteral("Table1"), session_, kFile,
                                        credentials::definition());
    list->open();
    replaceWith({kShop});
    EXPECT_EQ(testing::readRecords(*list), (Records{kMail, kBank})) << "as last read";
    list->Refresh();
    EXPECT_EQ(testing::readRecords(*list), (Records{kShop}));
}

}  // namespace
}  // namespace veltrop
