#include "program_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "probes.h"
#include "session_bus.h"

// The real program read through the accessibility bus, as a screen reader reads it:
// a private session bus with at-spi2-core's bus launcher on it, whose registry the
// reader (atspi_reader.py, on libatspi) asks.
namespace veltrop::testing {
namespace {

class AtspiDesktopTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        bus_ = std::make_unique<SessionBus>(folder_.path());
        launcher_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"/usr/libexec/at-spi-bus-launcher", "--launch-immediately"},
            folder_.path(), busEnvironment());
        ASSERT_TRUE(accessibilityBusUp()) << "at-spi-bus-launcher did not start";
    }
    // The launcher ends the accessibility bus it started, and with it the registry.
    void TearDown() override {
        launcher_->stop(kTimeout);
        bus_.reset();
    }

    std::vector<std::string> busEnvironment() {
        std::vector<std::string> environment = desktop_->environment();
        environment.push_back(bus_->environmentEntry());
        return environment;
    }
    int runOnBus(std::vector<std::string> command) {
        ChildProcess process(command, folder_.path(), busEnvironment());
        return process.waitForExit(kTimeout).value_or(-1);
    }
    // The launcher has taken its name on the session bus, which a program asks for
    // the accessibility bus's address.
    bool accessibilityBusUp() {
        for (int attempt = 0; attempt < 200; ++attempt) {
            // Asked without starting it: the bus would start another launcher.
            if (runOnBus({"/bin/sh", "-c",
                          "/usr/bin/dbus-send --session --print-reply "
                          "--dest=org.freedesktop.DBus /org/freedesktop/DBus "
                          "org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus "
                          "| grep -q 'boolean true'"}) == 0) {
                return true;
            }
        }
        return false;
    }

    void startReadableProgram() {
        startProgram({bus_->environmentEntry(), "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"});
    }
    // The program's accessible objects, one line each (see atspi_reader.py).
    std::vector<std::string> readTree() {
        const std::string out = folder_.file("tree.txt");
        std::filesystem::remove(out);
        EXPECT_EQ(runOnBus({"/usr/bin/python3", VELTROP_ATSPI_READER, "tree", out}), 0);
        std::vector<std::string> lines;
        std::ifstream file(out);
        for (std::string line; std::getline(file, line);) {
            lines.push_back(line.substr(line.find(' ') + 1));
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

    std::unique_ptr<SessionBus> bus_;
    std::unique_ptr<ChildProcess> launcher_;
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
    ChildProcess listener({"/usr/bin/python3", VELTROP_ATSPI_READER, "focus", "2", spoken, ready},
                          folder_.path(), busEnvironment());
    ASSERT_TRUE(becomesTrue([&] { return std::filesystem::exists(ready); }));
    xdotool({"key", "Down"});
    ASSERT_TRUE(becomesTrue([&] { return has(readTree(), "table cell|Mail|selected|focused"); }));
    xdotool({"key", "End"});
    EXPECT_EQ(listener.waitForExit(kTimeout), 0);
    EXPECT_EQ(readFileBytes(spoken), "Mail\nShop\n");
    EXPECT_TRUE(has(readTree(), "table cell|Shop|selected|focused"));

    display().requestClose(waitForActive("Select"));
    ASSERT_TRUE(waitUntilGone("Select"));
    closeProgram();
}

}  // namespace
}  // namespace veltrop::testing
