#include <filesystem>

#include "tool_fixture.h"

// Without FILE the tool finds the table that the menu entry's launcher keeps, when the
// current folder has none, and never makes one there unasked.
namespace veltrop::testing {
namespace {

const std::vector<ToolRecord> kBank{{"Bank", "bank.example", "anna", "secret", ""}};
const std::vector<ToolRecord> kShop{{"Shop", "shop.example", "ak", "s3cret", ""}};

class DefaultTableTest : public ToolFixture {
protected:
    void SetUp() override {
        saved_ = {qgetenv("XDG_DATA_HOME"), qgetenv("HOME")};
        qputenv("HOME", QByteArray::fromStdString(folder_.file("home")));
        setDataHome(folder_.file("data"));
    }
    void TearDown() override {
        qputenv("XDG_DATA_HOME", saved_.first);
        qputenv("HOME", saved_.second);
    }

    void setDataHome(const std::string& dataHome) {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dataHome));
    }
    // The menu entry's table in this data folder, made with the records.
    std::string makeMenuTable(const std::string& dataHome, const std::vector<ToolRecord>& records) {
        std::filesystem::create_directories(dataHome + "/veltrop");
        const std::string table = dataHome + "/veltrop/" + kTable;
        createTable(table, records);
        return table;
    }

    std::pair<QByteArray, QByteArray> saved_;
};

TEST_F(DefaultTableTest, WithNoTableHereTheMenuEntrysTableIsUsedAndNamed) {
    struct Row {
        std::string dataHome;  // XDG_DATA_HOME as set
        std::string used;      // the data folder the launcher uses with it
    };
    const std::string home = folder_.file("home/.local/share");
    const std::vector<Row> rows{
        {folder_.file("data"), folder_.file("data")}, {"", home}, {"relative/data", home}};
    createTable("shop.db", kShop);
    ASSERT_EQ(run({"export", "shop.db", "-o", "shop.csv"}).status, 0);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dataHome);
        setDataHome(row.dataHome);
        const std::string table = makeMenuTable(row.used, kBank);

        const ToolRun info = run({"info"});
        EXPECT_EQ(info.status, 0) << info.err;
        EXPECT_NE(info.err.find("using the menu entry's table " + table), std::string::npos)
            << info.err;
        const ToolRun import = run({"import", "shop.csv"});
        EXPECT_EQ(import.status, 0) << import.err;
        EXPECT_NE(import.err.find(table), std::string::npos) << import.err;
        EXPECT_EQ(records(table), (std::vector<ToolRecord>{kBank[0], kShop[0]}));
        EXPECT_FALSE(std::filesystem::exists(kTable));
        std::filesystem::remove_all(row.used);
    }
}

TEST_F(DefaultTableTest, ATableHereComesFirstAndCreateMakesItHereOnly) {
    const std::string menuTable = makeMenuTable(folder_.file("data"), kBank);
    const std::string before = readFileBytes(menuTable);
    const ToolRun create = run({"create"});
    EXPECT_EQ(create.status, 0) << create.err;
    EXPECT_TRUE(std::filesystem::exists(kTable));

    const ToolRun info = run({"info"});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.err.find("menu entry"), std::string::npos) << info.err;
    EXPECT_EQ(readFileBytes(menuTable), before);
}

TEST_F(DefaultTableTest, WithNeitherTableTheErrorNamesBothPlacesAndNothingIsMade) {
    for (const QStringList& command :
         {QStringList{"info"}, QStringList{"export"}, QStringList{"check"},
          QStringList{"import", "shop.csv"}, QStringList{"backup", "copy.db"}}) {
        SCOPED_TRACE(command.join(' ').toStdString());
        const ToolRun result = run(command);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("neither Veltrop.DB in the current folder nor " +
                                  folder_.file("data/veltrop/Veltrop.DB")),
                  std::string::npos)
            << result.err;
        EXPECT_FALSE(std::filesystem::exists(kTable));
        EXPECT_FALSE(std::filesystem::exists(folder_.file("data")));
    }
}

}  // namespace
}  // namespace veltrop::testing
