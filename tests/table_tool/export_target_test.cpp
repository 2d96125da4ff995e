// An export never replaces the table it reads, nor any other database file, --force or not.
#include <unistd.h>

#include "tool_fixture.h"

namespace veltrop::testing {
namespace {

class ExportTargetTest : public ToolFixture {};

TEST_F(ExportTargetTest, NeverReplacesADatabase) {
    createTable(kTable, {{"Mail", "mail.example.org", "anna", "pw", ""}});
    createTable("other.DB", {});
    ASSERT_EQ(symlink(kTable, "link.csv"), 0);
    const std::string table = readFileBytes(kTable);
    const std::string other = readFileBytes("other.DB");
    const std::vector<std::pair<QString, const char*>> targets{
        {kTable, "is the table being exported"},
        {"link.csv", "is the table being exported"},
        {"other.DB", "is a database file"},
    };
    for (const auto& [target, reason] : targets) {
        for (const bool force : {false, true}) {
            SCOPED_TRACE(target.toStdString() + (force ? " --force" : ""));
            QStringList arguments{"export", "-o", target};
            if (force) {
                arguments << "--force";
            }
            const ToolRun result = run(arguments);
            EXPECT_EQ(result.status, 1);
            EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
        }
    }
    EXPECT_TRUE(readFileBytes(kTable) == table);
    EXPECT_TRUE(readFileBytes("other.DB") == other);
}

}  // namespace
}  // namespace veltrop::testing
