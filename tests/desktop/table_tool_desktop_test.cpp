#include "program_fixture.h"

#include "engine/file_probe.h"

// The table tool beside the real program: what the tool does to the table, the
// program's windows show.
namespace veltrop::testing {
namespace {

const std::string kTablePassword = "tool made this";

class TableToolDesktopTest : public ProgramFixture {
protected:
    // Runs the tool in the test's folder with this on standard input; gives its exit
    // status, and what it wrote to standard error in errors.txt.
    int runTool(const std::string& arguments, const std::string& input = {}) {
        ChildProcess tool(
            {"/bin/sh", "-c",
             "printf '" + input + "' | " + VELTROP_TABLE_TOOL + " " + arguments + " 2> errors.txt"},
            folder_.path(), desktop_->environment());
        return tool.waitForExit(kTimeout).value_or(-1);
    }
};

TEST_F(TableToolDesktopTest, ATableProtectedByTheToolOpensWithThePasswordAndShowsItsRecords) {
    ASSERT_EQ(runTool("protect --password-stdin", kTablePassword + "\\n"), 0);
    ASSERT_EQ(engine::probeFile(credentials::kFileName).kind, engine::FileKind::Protected);

    program_ = std::make_unique<ChildProcess>(std::vector<std::string>{VELTROP_PROGRAM},
                                              folder_.path(), desktop_->environment());
    ASSERT_NE(waitForActive("Enter password"), 0u);
    xdotool({"type", "--delay", "20", kTablePassword});
    xdotool({"key", "Return"});
    mainWindow_ = waitForActive("Veltrop");
    ASSERT_NE(mainWindow_, 0u);
    EXPECT_EQ(shownPassword(), kRecords[0][3]);
    closeProgram();
}

TEST_F(TableToolDesktopTest, AfterResizeTheProgramStoresALongerTypedPassword) {
    ASSERT_EQ(runTool("resize PASSWORD=64"), 0);
    const std::string typed(34, 'w');  // after "secret": 40 characters
    startProgram();
    typePassword(typed);
    clickToolButton("ToolButtonSave");
    ASSERT_NE(waitForActive("Save Changes?"), 0u);
    xdotool({"key", "Return"});
    ASSERT_TRUE(waitUntilGone("Save Changes?"));
    closeProgram();
    EXPECT_EQ(recordsInFile(credentials::kFileName)[0][3], kRecords[0][3] + typed);
}

TEST_F(TableToolDesktopTest, ProtectWhileTheProgramRunsIsRefusedAndChangesNothing) {
    startProgram();
    const std::string before = readFileBytes(credentials::kFileName);
    EXPECT_EQ(runTool("protect --password-stdin", kTablePassword + "\\n"), 1);
    EXPECT_EQ(readFileBytes(folder_.file("errors.txt")),
              "veltrop-table: Veltrop.DB is open in another program; close it first\n");
    EXPECT_TRUE(readFileBytes(credentials::kFileName) == before);
    EXPECT_TRUE(stillRunning());
    closeProgram();
}

}  // namespace
}  // namespace veltrop::testing
