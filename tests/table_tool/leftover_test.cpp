// A kill at the moment a command has written its records aside leaves no readable file
// behind once the next command has run.
#include <filesystem>

#include "tool_fixture.h"

namespace veltrop::testing {
namespace {

const std::string kSecret = "secret-pw-4711";
const std::string kPassword = "table password";

struct Kill {
    const char* name;
    const char* point;
    QStringList arguments;
    bool protectedTable;
    const char* leftBehind;  // the file the kill leaves, before the next command; "": none
};

void PrintTo(const Kill& kill, std::ostream* out) {
    *out << kill.name;
}

// The files of the folder, but the table, whose bytes hold the secret.
std::vector<std::string> filesWithSecret() {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        const std::string name = entry.path().filename().string();
        if (name != "Veltrop.DB" && readFileBytes(name).find(kSecret) != std::string::npos) {
            found.push_back(name);
        }
    }
    return found;
}

bool holdsFileNamed(const std::string& part) {
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        if (entry.path().filename().string().find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

class LeftoverTest : public ToolFixture, public ::testing::WithParamInterface<Kill> {};

TEST_P(LeftoverTest, TheNextCommandRemovesWhatAKillLeft) {
    const Kill& kill = GetParam();
    createTable(kTable, {{"Mail", "mail.example.org", "anna", kSecret, ""}});
    writeFileBytes("out.csv", "an older export\n");
    const std::string input = kill.protectedTable ? kPassword + "\n" : std::string();
    if (kill.protectedTable) {
        ASSERT_EQ(runProgram({"protect", "--password-stdin"}, input).status, 0);
    }
    const ToolRun killed =
        runProgram(kill.arguments, input, {QString("VELTROP_KILL_AT=") + kill.point});
    ASSERT_EQ(killed.status, -1) << "not killed at " << kill.point << ": " << killed.err;
    if (*kill.leftBehind) {
        EXPECT_TRUE(holdsFileNamed(kill.leftBehind));
    } else {
        EXPECT_EQ(filesWithSecret(), std::vector<std::string>{}) << "a named file was written";
    }

    EXPECT_EQ(runProgram({"info", "--password-stdin"}, input).status, 0);
    EXPECT_EQ(filesWithSecret(), std::vector<std::string>{});
    EXPECT_FALSE(holdsFileNamed(".new-"));
    EXPECT_FALSE(holdsFileNamed(".veltrop-part-"));
}

INSTANTIATE_TEST_SUITE_P(
    Kills, LeftoverTest,
    ::testing::Values(
        Kill{"ExportWritten", "export-written", {"export", "-o", "new.csv"}, false, ""},
        Kill{"ExportReplacing",
             "export-linked",
             {"export", "-o", "out.csv", "--force"},
             false,
             ".veltrop-part-"},
        Kill{"Unprotect", "rewrite-filled", {"unprotect", "--password-stdin"}, true, ".new-"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace veltrop::testing
