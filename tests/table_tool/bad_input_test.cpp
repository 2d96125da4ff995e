#include "support/temp_folder.h"
#include "tool_fixture.h"

namespace veltrop::testing {
namespace {

const std::string kHeader = "DESCRIPTION,URL,LOGIN ID,PASSWORD,NOTE\n";

struct BadInput {
    const char* name;
    std::string bytes;
    const char* where;  // the line the error names
    const char* says;
};

std::string bigFieldFile() {
    return kHeader + "a,b,c,d,\"" + std::string(100 << 20, 'x') + "\"\n";
}

// A header row of count quoted fields of size bytes each.
std::string manyBigFields(int count, std::size_t size) {
    std::string row;
    for (int i = 0; i < count; ++i) {
        row += (i ? ",\"" : "\"") + std::string(size, 'x') + "\"";
    }
    return row + "\n";
}

const std::vector<BadInput> kBadInputs{
    {"unterminated quote", kHeader + "a,b,c,d,e\nf,g,h,i,\"never closed\n\n", "line 3",
     "not closed"},
    {"stray quote", kHeader + "a,b,c,d,e\"x\n", "line 2", "quote"},
    {"ragged row", kHeader + "a,b,c,d,e\nf,g,h\n", "line 3", "3 fields where the header has 5"},
    {"NUL byte", kHeader + "a,b,c,d,e\n" + std::string("f,g\0,h,i,j\n", 11), "line 3", "NUL"},
    {"invalid UTF-8", kHeader + "a,b,c,d,e\nf,\xC3\x28,h,i,j\n", "line 3", "UTF-8"},
    {"overlong UTF-8", kHeader + "a,\xC0\xAF,c,d,e\n", "line 2", "UTF-8"},
    {"UTF-16 with mark",
     std::string("\xFF\xFE"
                 "D\0E\0S\0",
                 8),
     "line 1", "UTF-16"},
    {"UTF-16 without mark", std::string("D\0E\0S\0C\0\n\0", 10), "line 1", "NUL"},
    {"100 MB field", bigFieldFile(), "line 2", "longer than 1 MiB"},
    {"empty file", "", "line 1", "empty"},
    {"header only", kHeader, "line 2", "only a header"},
    {"unknown header", "site,user,secret\nx,y,z\n", "line 1", "known headers"},
    {"10 MB row of commas", kHeader + std::string(10 << 20, ',') + "\n", "line 2",
     "more than 5 fields, the header's count"},
    {"header of 300 fields", std::string(300, ',') + "\n", "line 1",
     "more than 256 fields in the header"},
    {"header of 9 MB", manyBigFields(10, 900 << 10), "line 1", "a row is longer than 8 MiB"},
    {"JSON NUL", "[{\"URL\": \"a\\u0000b\"}]", "element [0]", "NUL"},
    {"JSON lone surrogate", "[{\"NOTE\": \"x\"}, {\"PASSWORD\": \"\\ud800\"}]", "element [1]",
     "lone surrogate"},
    {"JSON invalid UTF-8", "[\n{\"URL\": \"\xC3\x28\"}]", "line 2", "UTF-8"},
    {"JSON elements not records", "[1, 2, \"x\", null]", "element [0]", "not a record"},
    {"JSON null after a record", "[{\"URL\": \"u\"}, null]", "element [1]", "not a record"},
    {"JSON unknown key", "[{\"URL\": \"u\", \"TOTP\": \"x\"}]", "element [0]",
     "unknown key \"TOTP\""},
};

class BadInputTest : public ToolFixture {};

TEST_F(BadInputTest, EachGivesAClearErrorWithItsLineAndLeavesTheTableAsItWas) {
    createTable(kTable, {{"Kept", "kept.example", "me", "pw", "note"}});
    const std::string before = readFileBytes(kTable);
    for (const BadInput& input : kBadInputs) {
        SCOPED_TRACE(input.name);
        writeFileBytes("bad.csv", input.bytes);
        const ToolRun result = run({"import", "bad.csv"});
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(std::string("bad.csv: ") + input.where), std::string::npos)
            << result.err;
        EXPECT_NE(result.err.find(input.says), std::string::npos) << result.err;
        EXPECT_TRUE(readFileBytes(kTable) == before) << "the table changed";
    }
}

// A byte order mark and CRLF line ends are what spreadsheets write: they are read, not refused.
TEST_F(BadInputTest, AByteOrderMarkAndCrlfLineEndsAreRead) {
    createTable(kTable, {});
    writeFileBytes("marked.csv",
                   "\xEF\xBB\xBF"
                   "DESCRIPTION,URL,LOGIN ID,PASSWORD,NOTE\r\n"
                   "a,b,c,d,\"two\r\nlines\"\r\nf,g,h,i,j\r\n");
    const ToolRun result = run({"import", "marked.csv"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(records(kTable) == (std::vector<ToolRecord>{{"a", "b", "c", "d", "two\r\nlines"},
                                                            {"f", "g", "h", "i", "j"}}));
}

}  // namespace
}  // namespace veltrop::testing
