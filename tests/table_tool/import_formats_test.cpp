#include "support/temp_folder.h"
#include "tool_fixture.h"

namespace veltrop::testing {
namespace {

// A note as the managers write it: a line break and quotes inside one quoted field.
const std::string kNoteCell = "\"first line\nsays \"\"hi\"\"\"";
const std::string kNote = "first line\nsays \"hi\"";

struct FormatCase {
    const char* format;
    std::string csv;
    std::vector<ToolRecord> expected;
    long otherItems;
};

const std::vector<FormatCase> kFormats{
    {"veltrop",
     "DESCRIPTION,URL,LOGIN ID,PASSWORD,NOTE\r\nBank,https://bank.example,anna,pw1," + kNoteCell +
         "\r\n",
     {{"Bank", "https://bank.example", "anna", "pw1", kNote}},
     0},
    {"keepassxc",
     "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\"\n"
     "\"Root\",\"Mail\",\"anna.k\",\"pw2\",\"https://mail.example\"," +
         kNoteCell + ",\"\",\"0\"\n",
     {{"Mail", "https://mail.example", "anna.k", "pw2", kNote}},
     0},
    {"bitwarden",
     "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,"
     "login_totp\n"
     "Work,1,login,Shop," +
         kNoteCell +
         ",,0,https://shop.example,ak,pw3,\n"
         "Work,,card,Visa,,,0,,,,\n"
         ",,note,Diary,dear diary,,0,,,,\n",
     {{"Shop", "https://shop.example", "ak", "pw3", kNote}},
     2},
    {"chrome",
     "name,url,username,password,note\n"
     "forum.example,https://forum.example/login,anna,pw4," +
         kNoteCell + "\n",
     {{"forum.example", "https://forum.example/login", "anna", "pw4", kNote}},
     0},
    {"firefox",
     "\"url\",\"username\",\"password\",\"httpRealm\",\"formActionOrigin\",\"guid\","
     "\"timeCreated\",\"timeLastUsed\",\"timePasswordChanged\"\n"
     "\"https://anna@wiki.example:8443/start\",\"anna\",\"pw \"\"5\"\"\",,\"\",\"{1}\",\"1\",\"2\","
     "\"3\"\n",
     {{"wiki.example", "https://anna@wiki.example:8443/start", "anna", "pw \"5\"", ""}},
     0},
};

class ImportFormatsTest : public ToolFixture {};

TEST_F(ImportFormatsTest, EachManagersExportIsRecognisedAndMapped) {
    for (const FormatCase& sample : kFormats) {
        for (const char* asked : {"auto", sample.format}) {
            SCOPED_TRACE(std::string(sample.format) + " as " + asked);
            std::remove(kTable);
            createTable(kTable, {});
            writeFileBytes("export.csv", sample.csv);
            const ToolRun result = run({"import", "export.csv", "--format", asked});
            ASSERT_EQ(result.status, 0) << result.err;
            EXPECT_TRUE(records(kTable) == sample.expected);
            EXPECT_NE(result.out.find(std::to_string(sample.otherItems) + " other items skipped"),
                      std::string::npos)
                << result.out;
        }
    }
}

TEST_F(ImportFormatsTest, AFormatNamedForAnotherHeaderIsRefused) {
    createTable(kTable, {});
    writeFileBytes("export.csv", kFormats[1].csv);
    const std::string before = readFileBytes(kTable);
    const ToolRun result = run({"import", "export.csv", "--format", "chrome"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("line 1"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("keepassxc (Group,Title"), std::string::npos) << result.err;
    EXPECT_TRUE(readFileBytes(kTable) == before);
}

}  // namespace
}  // namespace veltrop::testing
