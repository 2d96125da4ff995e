// Before the X headers that the fixture brings, whose macros clash with Qt's names.
#include "syncthing_pair.h"

#include <filesystem>

#include "engine/conflict_copies.h"
#include "probes.h"
#include "program_fixture.h"

// The program and the table tool on a table that two real Syncthing instances keep in
// step between two folders, as between two machines.
namespace veltrop::testing {
namespace {

namespace fs = std::filesystem;

const Record kFromB = {"Forum", "forum.example", "b-user", "from-b", "added on B"};

class SyncDesktopTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        folderB_ = folder_.path() + "-b";
        fs::create_directories(folderB_);
        sync_ = std::make_unique<SyncthingPair>(folder_.path(), folderB_);
        ASSERT_TRUE(sync_->waitInSync()) << "the table never reached B";
    }
    void TearDown() override {
        sync_.reset();
        fs::remove_all(folderB_);
    }

    std::string tableA() const { return folder_.path() + "/" + credentials::kFileName; }
    std::string tableB() const { return folderB_ + "/" + credentials::kFileName; }

    // What a program on B writes into B's table.
    static void change(const std::string& table,
                       const std::function<void(engine::TableFile&)>& write) {
        engine::Session session;
        auto file = session.openTable(table, engine::OpenMode::ReadWrite);
        write(*file);
    }

    void saveTyped(const std::string& text) {
        typePassword(text);
        clickToolButton("ToolButtonSave");
        const Window question = waitForActive("Save Changes?");
        if (question == 0u) {
            for (const std::string& title : display().titles()) {
                ADD_FAILURE() << "window instead: " << title;
            }
            return;
        }
        xdotool({"key", "Return"});
        ASSERT_TRUE(waitUntilGone("Save Changes?"));
        EXPECT_TRUE(becomesTrue([&] { return !recordIsBeingEdited(numbers_[0]); }));
    }

    std::string folderB_;
    std::unique_ptr<SyncthingPair> sync_;
};

TEST_F(SyncDesktopTest, ARecordAddedOnBAndAnEditSavedOnAEndUpInBothTables) {
    startProgram();
    change(tableB(), [](engine::TableFile& file) { file.insert(kFromB); });
    ASSERT_TRUE(sync_->waitInSync());
    saveTyped("9");
    ASSERT_TRUE(sync_->waitInSync());
    std::vector<Record> expected = kRecords;
    expected[0][3] += "9";
    expected.push_back(kFromB);
    EXPECT_EQ(recordsInFile(tableA()), expected);
    EXPECT_EQ(recordsInFile(tableB()), expected);
    EXPECT_TRUE(stillRunning());
    closeProgram();
}

TEST_F(SyncDesktopTest, BothEditingWhilePausedGiveAConflictCopyThatMergeBringsBack) {
    sync_->pause();
    change(tableA(), [&](engine::TableFile& file) { file.update(numbers_[0], {{3, "from-a"}}); });
    change(tableB(), [&](engine::TableFile& file) { file.update(numbers_[0], {{3, "from-b"}}); });
    sync_->resume();
    ASSERT_TRUE(sync_->waitInSync());
    ASSERT_EQ(engine::findConflictCopies(tableA()).size(), 1u);

    ChildProcess merge({VELTROP_TABLE_TOOL, "merge", "--conflicts"}, folder_.path(), {});
    EXPECT_EQ(merge.waitForExit(kTimeout), 0);
    std::vector<std::string> passwords;
    for (const Record& record : recordsInFile(tableA())) {
        passwords.push_back(record[3]);
    }
    EXPECT_EQ(passwords.size(), 4u);
    EXPECT_NE(std::find(passwords.begin(), passwords.end(), "from-a"), passwords.end());
    EXPECT_NE(std::find(passwords.begin(), passwords.end(), "from-b"), passwords.end());
    EXPECT_TRUE(engine::findConflictCopies(tableA()).empty());
}

TEST_F(SyncDesktopTest, AProgramKilledInsideASaveLeavesBothTablesSoundWithEveryConfirmedSave) {
    startProgram({"LD_PRELOAD=" VELTROP_KILL_ON_SYNC, "VELTROP_KILL_ON_SYNC=Veltrop.DB",
                  "VELTROP_KILL_ON_SYNC_COUNT=2", "ASAN_OPTIONS=verify_asan_link_order=0"});
    saveTyped("1");
    typePassword("2");
    clickToolButton("ToolButtonSave");
    ASSERT_NE(waitForActive("Save Changes?"), 0u);
    xdotool({"key", "Return"});
    EXPECT_EQ(program_->waitForExit(kTimeout), -SIGKILL);

    // Opening A rolls back the save that was cut short; the sync then carries A's
    // sound table to B.
    EXPECT_EQ(recordsInFile(tableA())[0][3], "secret1");
    ASSERT_TRUE(sync_->waitInSync());
    for (const std::string& table : {tableA(), tableB()}) {
        SCOPED_TRACE(table);
        engine::Session session;
        auto file = session.openTable(table, engine::OpenMode::ReadWrite);
        EXPECT_TRUE(file->integrityProblems(false).empty());
        EXPECT_EQ(file->read(numbers_[0]).value_or(Record(5))[3], "secret1");
    }
}

}  // namespace
}  // namespace veltrop::testing
