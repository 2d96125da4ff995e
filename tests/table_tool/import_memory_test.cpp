// Whatever the rows, import holds one bounded row at a time: a 10 MB row of commas is
// refused without taking more memory than a small import.
#include <sys/resource.h>

#include "tool_fixture.h"

namespace veltrop::testing {
namespace {

constexpr long kMostResidentKiB = 64 << 10;

class ImportMemoryTest : public ToolFixture {};

TEST_F(ImportMemoryTest, ATenMegabyteRowIsRefusedInBoundedMemory) {
    createTable(kTable, {});
    writeFileBytes("commas.csv",
                   "DESCRIPTION,URL,LOGIN ID,PASSWORD,NOTE\n" + std::string(10 << 20, ',') + "\n");
    const ToolRun result = runProgram({"import", "commas.csv"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("line 2"), std::string::npos) << result.err;
    rusage children{};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &children), 0);
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' own memory is no measure; peak " << children.ru_maxrss
                 << " KiB";
#endif
    EXPECT_LT(children.ru_maxrss, kMostResidentKiB);
}

}  // namespace
}  // namespace veltrop::testing
