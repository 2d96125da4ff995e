// The tool warns about a table of another user or a plain table others can read, and
// writes into no table of another user.
#include <sys/stat.h>
#include <unistd.h>

#include "tool_fixture.h"

namespace veltrop::testing {
namespace {

constexpr uid_t kOtherUser = 65534;  // nobody

struct OwnerCase {
    const char* name;
    mode_t mode;
    bool otherOwner;
    const char* warning;  // "" for none
};

class OwnerTest : public ToolFixture, public ::testing::WithParamInterface<OwnerCase> {};

TEST_P(OwnerTest, InfoWarnsAndWritingIntoAnotherUsersTableIsRefused) {
    const OwnerCase& owner = GetParam();
    createTable(kTable, {{"Mail", "mail.example.org", "anna", "pw", ""}});
    writeFileBytes("in.csv", "DESCRIPTION,URL,LOGIN ID,PASSWORD,NOTE\nNew,n.example,b,c,\n");
    ASSERT_EQ(chmod(kTable, owner.mode), 0);
    if (owner.otherOwner) {
        ASSERT_EQ(chown(kTable, kOtherUser, kOtherUser), 0);
    }
    const ToolRun info = run({"info"});
    EXPECT_EQ(info.status, 0) << info.err;
    if (*owner.warning) {
        EXPECT_NE(info.err.find(std::string("warning: Veltrop.DB ") + owner.warning),
                  std::string::npos)
            << info.err;
    } else {
        EXPECT_EQ(info.err.find("warning"), std::string::npos) << info.err;
    }
    const std::string before = readFileBytes(kTable);
    for (const QStringList& arguments :
         {QStringList{"import", "in.csv"}, QStringList{"resize", "PASSWORD=64"}}) {
        const ToolRun write = run(arguments);
        EXPECT_EQ(write.status, owner.otherOwner ? 1 : 0) << write.err;
        if (owner.otherOwner) {
            EXPECT_NE(write.err.find("belongs to another user; this tool writes only"),
                      std::string::npos)
                << write.err;
            EXPECT_TRUE(readFileBytes(kTable) == before);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Owners, OwnerTest,
    ::testing::Values(OwnerCase{"Private", 0600, false, ""},
                      OwnerCase{"ReadableByOthers", 0644, false, "is not protected"},
                      OwnerCase{"ReadableByGroup", 0640, false, "is not protected"},
                      OwnerCase{"AnotherUsers", 0666, true, "belongs to another user"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace veltrop::testing
