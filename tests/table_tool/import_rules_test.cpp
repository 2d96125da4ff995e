#include "support/temp_folder.h"
#include "tool_fixture.h"

namespace veltrop::testing {
namespace {

const std::string kHeader = "DESCRIPTION,URL,LOGIN ID,PASSWORD,NOTE\n";
const std::string k41 = std::string(40, 'p') + "Q";         // 41 characters, PASSWORD holds 20
const std::string kLongLogin = "ü" + std::string(24, 'l');  // 25 characters, LOGIN ID holds 20

class ImportRulesTest : public ToolFixture {
protected:
    void SetUp() override {
        createTable(kTable, {{"Bank", "bank.example", "anna", "pw", "old"}});
        writeFileBytes("new.csv", kHeader + "Mail,mail.example,anna," + k41 + ",\n" +
                                      "Bank,bank.example,anna,pw,other note\n" +
                                      "Shop,shop.example," + kLongLogin + ",short,has a note\n");
        before_ = readFileBytes(kTable);
    }

    std::string before_;
};

TEST_F(ImportRulesTest, OverLongValuesStopTheImportListedWithoutTheirValues) {
    const ToolRun result = run({"import", "new.csv"});
    EXPECT_EQ(result.status, 1);
    for (const char* listed : {"line 2: PASSWORD has 41 characters, the field holds 20",
                               "line 4: LOGIN ID has 25 characters, the field holds 20",
                               "resize \"LOGIN ID=25\" \"PASSWORD=41\"", "--cut"}) {
        EXPECT_NE(result.err.find(listed), std::string::npos) << listed << "\n" << result.err;
    }
    EXPECT_EQ(result.err.find(k41), std::string::npos) << "a value was shown";
    EXPECT_EQ(result.err.find(kLongLogin), std::string::npos) << "a value was shown";
    EXPECT_TRUE(readFileBytes(kTable) == before_);
}

TEST_F(ImportRulesTest, CutKeepsTheWholeValueInTheNoteAndSkipsDuplicates) {
    const ToolRun result = run({"import", "new.csv", "--cut"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("2 records imported, 1 duplicates skipped, 0 other items skipped, 2 "
                              "values cut"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("line 2: PASSWORD cut from 41 to 20"), std::string::npos);
    EXPECT_TRUE(records(kTable) ==
                (std::vector<ToolRecord>{
                    {"Bank", "bank.example", "anna", "pw", "old"},
                    {"Mail", "mail.example", "anna", k41.substr(0, 20), "PASSWORD: " + k41},
                    {"Shop", "shop.example", "ü" + std::string(19, 'l'), "short",
                     "has a note\nLOGIN ID: " + kLongLogin}}));
}

TEST_F(ImportRulesTest, KeepDuplicatesImportsEveryRow) {
    const ToolRun result = run({"import", "new.csv", "--cut", "--keep-duplicates"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(records(kTable).size(), 4u);
    EXPECT_EQ(records(kTable)[2][4], "other note");
}

TEST_F(ImportRulesTest, DryRunCountsButWritesNothing) {
    const ToolRun result = run({"import", "new.csv", "--cut", "--dry-run"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Dry run, nothing written: 2 records imported"), std::string::npos)
        << result.out;
    EXPECT_EQ(records(kTable).size(), 1u);
}

TEST_F(ImportRulesTest, AfterResizeTheValuesFitWhole) {
    ASSERT_EQ(run({"resize", "PASSWORD=41", "LOGIN ID=25"}).status, 0);
    const ToolRun result = run({"import", "new.csv"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(records(kTable)[1][3], k41);
    EXPECT_EQ(records(kTable)[2][2], kLongLogin);
}

}  // namespace
}  // namespace veltrop::testing
