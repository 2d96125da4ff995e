#include <random>

#include "store/credential_table.h"
#include "tool_fixture.h"

namespace veltrop::testing {
namespace {

constexpr int kRecordCount = 1000;
// Single code points, so that a value's length in characters is its piece count.
const std::vector<std::string> kPieces{"a",  "Z", "0", " ",      "\"", ",", "'",      "\n", "\r",
                                       "\t", "é", "ß", "\u0301", "漢", "😀", "\u200D", ";"};

std::string randomValue(std::mt19937& random, int size) {
    const int mode = std::uniform_int_distribution<int>(0, 3)(random);
    const int length = mode == 0   ? 0
                       : mode == 1 ? size
                                   : std::uniform_int_distribution<int>(1, size)(random);
    std::string value;
    for (int i = 0; i < length; ++i) {
        value += kPieces[std::uniform_int_distribution<std::size_t>(0, kPieces.size() - 1)(random)];
    }
    return value;
}

std::vector<ToolRecord> randomRecords(unsigned seed) {
    std::mt19937 random(seed);
    std::vector<ToolRecord> records;
    for (int i = 0; i < kRecordCount; ++i) {
        ToolRecord record;
        for (const auto& field : credentials::definition().fields) {
            record.push_back(randomValue(random, field.size));
        }
        records.push_back(record);
    }
    return records;
}

class RoundTripTest : public ToolFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(RoundTripTest, ExportThenImportGivesBackTheSameRecordsInOrder) {
    const auto original = randomRecords(13);
    createTable("original.db", original);
    const QString exported = QString("export.") + GetParam();
    const ToolRun exporting =
        run({"export", "original.db", "-o", exported, "--format", GetParam()});
    ASSERT_EQ(exporting.status, 0) << exporting.err;
    EXPECT_NE(exporting.err.find("not encrypted"), std::string::npos);

    ASSERT_EQ(run({"create", "copy.db"}).status, 0);
    const ToolRun importing = run({"import", "copy.db", exported, "--keep-duplicates"});
    ASSERT_EQ(importing.status, 0) << importing.err;
    EXPECT_NE(importing.out.find("1000 records imported"), std::string::npos) << importing.out;
    EXPECT_TRUE(records("copy.db") == original);
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTripTest, ::testing::Values("csv", "json"));

}  // namespace
}  // namespace veltrop::testing
