// An export stays exact unless asked to be safe for spreadsheets, and says when it holds
// values a spreadsheet would run.
#include "tool_fixture.h"

namespace veltrop::testing {
namespace {

const ToolRecord kFormulas{"=HYPERLINK(\"x.example\")", "+cmd|' /C calc'!A0", "-1", "@SUM(1)",
                           "\tnote"};

class ExportFormulaTest : public ToolFixture {};

TEST_F(ExportFormulaTest, ExactByDefaultWithAHintAndPrefixedWhenAsked) {
    createTable(kTable, {kFormulas, {"Mail", "mail.example.org", "a", "b", "c"}});

    const ToolRun exact = run({"export", "-o", "exact.csv"});
    ASSERT_EQ(exact.status, 0) << exact.err;
    EXPECT_NE(exact.err.find("5 values start with"), std::string::npos) << exact.err;
    EXPECT_NE(exact.err.find("--spreadsheet-safe"), std::string::npos) << exact.err;
    createTable("back.DB", {});
    ASSERT_EQ(run({"import", "back.DB", "exact.csv"}).status, 0);
    EXPECT_TRUE(records("back.DB") == records(kTable)) << "the export is not exact";

    const ToolRun safe = run({"export", "-o", "safe.csv", "--spreadsheet-safe"});
    ASSERT_EQ(safe.status, 0) << safe.err;
    EXPECT_EQ(safe.err.find("--spreadsheet-safe"), std::string::npos) << safe.err;
    const std::string csv = readFileBytes("safe.csv");
    for (const char* prefixed : {"\"'=HYPERLINK(", "'+cmd", "'-1", "'@SUM(1)", "'\tnote"}) {
        EXPECT_NE(csv.find(prefixed), std::string::npos) << prefixed << " in " << csv;
    }
    EXPECT_NE(csv.find("\"Mail\",\"mail.example.org\",\"a\",\"b\",\"c\""), std::string::npos)
        << csv;
}

}  // namespace
}  // namespace veltrop::testing
