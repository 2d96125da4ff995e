#include <sys/stat.h>

#include "support/temp_folder.h"
#include "tool_fixture.h"

namespace veltrop::testing {
namespace {

const std::vector<ToolRecord> kRecords{{"Bank", "bank.example", "anna", "secret", ""},
                                       {"Mail", "mail.example", "anna.k", "hidden", "note"}};

unsigned fileMode(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

class CliTest : public ToolFixture {
protected:
    void SetUp() override { createTable(kTable, kRecords); }
};

struct UsageCase {
    QStringList arguments;
    const char* says;
};

TEST_F(CliTest, BadUsageExitsWithTwo) {
    const std::vector<UsageCase> cases{
        {{}, "no command"},
        {{"frobnicate"}, "unknown command"},
        {{"info", "--colour"}, "Unknown option"},
        {{"info", "a.db", "b.db"}, "expected no arguments"},
        {{"import"}, "expected CSV"},
        {{"resize", "PASSWORD"}, "expected FIELD=SIZE"},
        {{"resize", "PASSWORD=300"}, "at most 255"},
        {{"resize", "NOTE=300"}, "memo"},
        {{"resize", "SECRET=30"}, "no field SECRET"},
        {{"export", "--format", "xml"}, "csv or json"},
        {{"import", "x.csv", "--format", "lastpass"}, "unknown --format"},
    };
    const std::string before = readFileBytes(kTable);
    for (const UsageCase& usage : cases) {
        SCOPED_TRACE(usage.arguments.join(' ').toStdString());
        const ToolRun result = run(usage.arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(usage.says), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("--help"), std::string::npos) << result.err;
    }
    EXPECT_TRUE(readFileBytes(kTable) == before);
}

TEST_F(CliTest, HelpDescribesTheToolAndEachCommand) {
    const ToolRun tool = run({"--help"});
    EXPECT_EQ(tool.status, 0);
    for (const char* command : {"info", "check", "create", "protect", "unprotect", "rekey",
                                "resize", "export", "import", "backup"}) {
        EXPECT_NE(tool.out.find(std::string("  ") + command), std::string::npos) << command;
        const ToolRun help = run({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("Usage: veltrop-table ") + command, 0), 0u)
            << help.out;
    }
}

TEST_F(CliTest, FailuresExitWithOneAndNameTheFileAndWhatToDo) {
    const std::vector<UsageCase> cases{
        {{"info", "missing.db"}, "missing.db: no such file; check the name"},
        {{"create"}, "Veltrop.DB already exists; choose another name"},
        {{"unprotect"}, "Veltrop.DB is not protected; use protect"},
        {{"backup", "Veltrop.DB"}, "Veltrop.DB already exists"},
        {{"resize", "URL=40", "PASSWORD=10"}, "resize only widens"},
        {{"import", "missing.csv"}, "missing.csv: cannot read it"},
    };
    const std::string before = readFileBytes(kTable);
    for (const UsageCase& failure : cases) {
        SCOPED_TRACE(failure.arguments.join(' ').toStdString());
        const ToolRun result = run(failure.arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err.rfind("veltrop-table: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(failure.says), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "more than one line";
    }
    EXPECT_TRUE(readFileBytes(kTable) == before);
}

TEST_F(CliTest, ExportGoesToAnOwnerOnlyFileReplacedOnlyWithForce) {
    ASSERT_EQ(run({"export", "-o", "out.csv"}).status, 0);
    EXPECT_EQ(fileMode("out.csv"), 0600u);
    writeFileBytes("out.csv", "mine");
    const ToolRun refused = run({"export", "-o", "out.csv"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("--force"), std::string::npos);
    EXPECT_EQ(readFileBytes("out.csv"), "mine");
    ASSERT_EQ(run({"export", "-o", "out.csv", "--force"}).status, 0);
    EXPECT_EQ(readFileBytes("out.csv").rfind("\"DESCRIPTION\",\"URL\",\"LOGIN ID\"", 0), 0u);
}

TEST_F(CliTest, PasswordsComeFromStandardInputCurrentFirst) {
    ASSERT_EQ(runProgram({"protect", "--password-stdin"}, "first\n").status, 0);
    EXPECT_EQ(readFileBytes(kTable).find("anna"), std::string::npos);
    const std::string protectedBytes = readFileBytes(kTable);

    const ToolRun wrong = runProgram({"info", "--password-stdin"}, "guess\n");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("Veltrop.DB: wrong password; nothing was changed"), std::string::npos)
        << wrong.err;
    EXPECT_TRUE(wrong.out.empty()) << "a wrong password showed " << wrong.out;
    EXPECT_EQ(runProgram({"rekey", "--password-stdin"}, "guess\nother\n").status, 1);
    EXPECT_TRUE(readFileBytes(kTable) == protectedBytes);

    const ToolRun info = runProgram({"info", "--password-stdin"}, "first\n");
    EXPECT_NE(info.out.find("Protected: yes"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Records: 2"), std::string::npos) << info.out;

    ASSERT_EQ(runProgram({"rekey", "--password-stdin"}, "first\nsecond\n").status, 0);
    EXPECT_TRUE(records(kTable, {"second"}) == kRecords);
    ASSERT_EQ(runProgram({"unprotect", "--password-stdin"}, "second\n").status, 0);
    EXPECT_TRUE(records(kTable) == kRecords);
}

TEST_F(CliTest, WholeFileCommandsAreRefusedWhileAProgramHasTheTableOpen) {
    engine::Session program;
    const auto open = program.openTable(kTable, engine::OpenMode::ReadWrite);
    const std::string before = readFileBytes(kTable);
    for (const QStringList& arguments :
         {QStringList{"protect", "--password-stdin"}, QStringList{"resize", "PASSWORD=64"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const ToolRun result = runProgram(arguments, "pw\n");
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err,
                  "veltrop-table: Veltrop.DB is open in another program; close it first\n");
        EXPECT_TRUE(readFileBytes(kTable) == before);
    }
    const ToolRun info = run({"info"});
    EXPECT_NE(info.out.find("Open in a program: yes"), std::string::npos) << info.out;
    EXPECT_EQ(run({"export", "-o", "out.json", "--format", "json"}).status, 0);
    EXPECT_EQ(run({"backup", "copy.db"}).status, 0);
    EXPECT_TRUE(records("copy.db") == kRecords);
    EXPECT_EQ(run({"check"}).status, 0);
}

}  // namespace
}  // namespace veltrop::testing
