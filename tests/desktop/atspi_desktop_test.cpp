#include "program_fixture.h"

#include <filesystem>

#include "accessibility_bus.h"
#include "probes.h"

// The real program read through the accessibility bus, as a screen reader reads it.
namespace veltrop::testing {
namespace {

class AtspiDesktopTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        bus_ = std::make_unique<AccessibilityBus>(folder_.path(), desktop_->environment());
    }
    void TearDown() override { bus_.reset(); }

    void startReadableProgram() { startProgram(bus_->readableProgram()); }
    // The program's accessible objects, one line each (see atspi_reader.py), without
    // their depth.
    std::vector<std::string> readTree() {
        std::vector<std::string> lines = bus_->read("tree");
        EXPECT_FALSE(lines.empty());
        for (std::string& line : lines) {
            line = line.substr(line.find(' ') + 1);
        }
        return lines;
    }
    static bool has(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    static std::vector<std::string> startingWith(const std::vector<std::string>& lines,
                                                 const std::string& prefix) {
        std::vector<std::string> found;
        for (const std::string& line : lines) {
            if (line.rfind(prefix, 0) == 0) {
                found.push_back(line);
            }
        }
        return found;
    }

    std::unique_ptr<AccessibilityBus> bus_;
};

TEST_F(AtspiDesktopTest, AScreenReaderReadsTheWindowsAndTheSelectionListButNoSecret) {
    startReadableProgram();
    std::vector<std::string> tree = readTree();
    EXPECT_TRUE(has(tree, "frame|Veltrop")) << "the main window is no frame";
    EXPECT_TRUE(has(tree, "text|Description|focused"));

    clickToolButton("ToolButtonLookUp");
    ASSERT_NE(waitForActive("Select"), 0u);
    tree = readTree();
    EXPECT_TRUE(has(tree, "dialog|Select"));
    EXPECT_EQ(startingWith(tree, "table|"),
              std::vector<std::string>{
                  "table|Select Record to View/Modify|rows=3|columns=2|DESCRIPTION,URL|focused"});
    EXPECT_EQ(startingWith(tree, "table cell|"),
              (std::vector<std::string>{"table cell|Bank|selected|focused",
                                        "table cell|bank.example|selected", "table cell|Mail",
                                        "table cell|mail.example", "table cell|Shop",
                                        "table cell|shop.example"}));
    for (const Record& record : kRecords) {
        for (const std::string& line : tree) {
            EXPECT_EQ(line.find(record[2]), std::string::npos) << line;
            EXPECT_EQ(line.find(record[3]), std::string::npos) << line;
        }
    }

    // Each move of the current row is spoken: its first cell gets the focus.
    const std::string spoken = folder_.file("focus.txt");
    const std::string ready = folder_.file("ready");
    auto listener = bus_->startReader({"focus", "2", spoken, ready});
    ASSERT_TRUE(becomesTrue([&] { return std::filesystem::exists(ready); }));
    xdotool({"key", "Down"});
    ASSERT_TRUE(becomesTrue([&] { return has(readTree(), "table cell|Mail|selected|focused"); }));
    xdotool({"key", "End"});
    EXPECT_EQ(listener->waitForExit(kTimeout), 0);
    EXPECT_EQ(readFileBytes(spoken), "Mail\nShop\n");
    EXPECT_TRUE(has(readTree(), "table cell|Shop|selected|focused"));

    display().requestClose(waitForActive("Select"));
    ASSERT_TRUE(waitUntilGone("Select"));
    closeProgram();
}

}  // namespace
}  // namespace veltrop::testing
