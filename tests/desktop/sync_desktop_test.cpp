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

    // Saves what was typed, answering "Save Changes?" with OK.
    void save() {
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
    void saveTyped(const std::string& text) {
        typePassword(text);
        save();
    }
    // Answers the program's password question with the password and Return, or with
    // Escape when there is none.
    void answerPassword(const std::string& password) {
        ASSERT_NE(waitForActive("Enter password"), 0u);
        if (!password.empty()) {
            xdotool({"type", password});
        }
        xdotool({"key", password.empty() ? "Escape" : "Return"});
        ASSERT_TRUE(waitUntilGone("Enter password"));
        // Keys typed next go to the main window only once it has the focus again.
        ASSERT_EQ(waitForActive("Veltrop"), mainWindow_);
    }
    // Runs the table tool in the folder with this on its standard input.
    static int runTool(const std::string& folder, std::vector<std::string> arguments,
                       const std::string& input) {
        arguments.insert(arguments.begin(), {"/bin/sh", "-c", R"(printf %s "$INPUT" | "$0" "$@")",
                                             VELTROP_TABLE_TOOL});
        ChildProcess tool(arguments, folder, {"INPUT=" + input});
        return tool.waitForExit(kTimeout).value_or(-1);
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

    // Find lists what it read last; the list is read again after it closes, so B's
    // record (the last row) is there from the second Find on.
    clickToolButton("ToolButtonLookUp");
    display().requestClose(waitForActive("Select"));
    ASSERT_TRUE(waitUntilGone("Select"));
    clickToolButton("ToolButtonLookUp");
    const Window selection = waitForActive("Select");
    ASSERT_NE(selection, 0u);
    clickAt(selection, points_->rows.at(3), 2);
    ASSERT_TRUE(waitUntilGone("Select"));
    EXPECT_EQ(shownPassword(), kFromB[3]);
    closeProgram();
}

// The tool's whole-file rewrites on B reach the program running on A: its next keystroke
// asks for the table's new password (Cancel keeps it running and the next one asks
// again), then edits the record as it now is, and the save reaches B.
TEST_F(SyncDesktopTest, AProgramOnAFollowsTheToolsRewritesOfTheTableOnB) {
    const struct {
        std::vector<std::string> arguments;
        std::string input;
        std::string password;  // the table's afterwards
        bool asks;             // whether the program on A needs it
    } rewrites[] = {
        {{"protect", "--password-stdin"}, "first\n", "first", true},
        {{"rekey", "--password-stdin"}, "first\nsecond\n", "second", true},
        {{"resize", "PASSWORD=64", "--password-stdin"}, "second\n", "second", false},
    };
    startProgram();
    // Changed on B just before the first rewrite: the program must show B's value.
    change(tableB(), [&](engine::TableFile& file) { file.update(numbers_[0], {{3, "from-b"}}); });
    std::string expected = "from-b";
    for (const auto& rewrite : rewrites) {
        SCOPED_TRACE(rewrite.arguments[0]);
        ASSERT_EQ(runTool(folderB_, rewrite.arguments, rewrite.input), 0);
        ASSERT_TRUE(sync_->waitInSync());
        if (rewrite.asks) {
            typePassword("x");
            ASSERT_NO_FATAL_FAILURE(answerPassword(""));
            EXPECT_TRUE(stillRunning());
        }
        const std::string typed(1, rewrite.arguments[0][0]);
        typePassword(typed);
        if (rewrite.asks) {
            ASSERT_NO_FATAL_FAILURE(answerPassword(rewrite.password));
        }
        expected += typed;
        save();
        EXPECT_EQ(shownPassword(), expected);
        ASSERT_TRUE(sync_->waitInSync());
        EXPECT_EQ(recordsInFile(tableB(), {rewrite.password})[0][3], expected);
    }
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

    EXPECT_EQ(runTool(folder_.path(), {"merge", "--conflicts"}, ""), 0);
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
