// Every command refuses a table file whose schema holds what a table never holds, says
// what it found, and leaves the file as it was; check lists what it found.
#include <QFile>

#include "support/crafted_tables.h"
#include "tool_fixture.h"

namespace veltrop::testing {
namespace {

class CraftedTableTest : public ToolFixture, public ::testing::WithParamInterface<CraftedTable> {
protected:
    void SetUp() override {
        writeCraftedTable(kTable, GetParam());
        QFile csv("in.csv");
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
        csv.write("DESCRIPTION,URL,LOGIN ID,PASSWORD,NOTE\nNew,new.example.org,b,c,\n");
    }
};

TEST_P(CraftedTableTest, EveryCommandRefusesIt) {
    const std::string before = readFileBytes(kTable);
    const std::string named = GetParam().named;
    const std::vector<std::pair<QStringList, bool>> commands{
        {{"info"}, false},
        {{"export"}, false},
        {{"import", "in.csv"}, false},
        {{"resize", "PASSWORD=64"}, false},
        {{"backup", "copy.DB"}, false},
        {{"protect", "--password-stdin"}, true},
    };
    for (const auto& [arguments, asProgram] : commands) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const ToolRun result =
            asProgram ? runProgram(arguments, "new password\nnew password\n") : run(arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("The table is damaged"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(named), std::string::npos) << result.err;
    }
    const ToolRun check = run({"check"});
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.out.find(named), std::string::npos) << check.out;
    EXPECT_TRUE(readFileBytes(kTable) == before) << "a command changed the file";
    EXPECT_FALSE(QFile::exists("copy.DB"));
}

INSTANTIATE_TEST_SUITE_P(Schemas, CraftedTableTest, ::testing::ValuesIn(craftedTables()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace veltrop::testing
