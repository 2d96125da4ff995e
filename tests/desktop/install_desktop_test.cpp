#include <gtest/gtest.h>

// Before the X headers, whose macros clash with Qt's names.
#include <QImage>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "child_process.h"
#include "desktop_session.h"
#include "engine/session.h"
#include "probes.h"
#include "store/credential_table.h"
#include "support/temp_folder.h"

namespace veltrop::testing {
namespace {

using std::chrono::seconds;

// Generous: the machine is shared, and a slow start is no failure.
constexpr seconds kTimeout{60};

// The installed tree lies under a DESTDIR, so its absolute paths get that in front.
std::string installed(const std::string& path) {
    return VELTROP_INSTALL_ROOT + path;
}

// The command of the menu entry's Exec key, split at spaces; it has no field codes,
// since the program takes no arguments.
std::vector<std::string> menuEntryCommand() {
    std::ifstream entry(installed(VELTROP_DESKTOP_ENTRY));
    std::string line;
    while (std::getline(entry, line)) {
        if (line.rfind("Exec=", 0) == 0) {
            std::istringstream words(line.substr(5));
            std::vector<std::string> command;
            for (std::string word; words >> word;) {
                command.push_back(word);
            }
            if (!command.empty()) {
                command.front() = installed(command.front());
                return command;
            }
        }
    }
    throw std::runtime_error("the menu entry has no command");
}

unsigned modeOf(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// As a window's icon has them: Qt keeps pixmaps premultiplied, which rounds the
// colours of translucent pixels.
std::vector<unsigned> installedIconPixels(int size) {
    const QImage image =
        QImage(QString::fromStdString(installed(VELTROP_ICON_FOLDER + std::to_string(size) + "x" +
                                                std::to_string(size) + "/apps/veltrop.png")))
            .convertToFormat(QImage::Format_ARGB32_Premultiplied)
            .convertToFormat(QImage::Format_ARGB32);
    std::vector<unsigned> pixels;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const unsigned*>(image.constScanLine(y));
        pixels.insert(pixels.end(), row, row + size);
    }
    return pixels;
}

class InstallDesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { desktop_ = new DesktopSession; }
    static void TearDownTestSuite() {
        delete desktop_;
        desktop_ = nullptr;
    }

    void SetUp() override { std::filesystem::create_directory(home_); }

    // Starts the program as the desktop's menu does, with this XDG_DATA_HOME, and
    // waits for its main window.
    Window startFromMenu(const std::string& dataHome) {
        std::vector<std::string> environment = desktop_->environment();
        environment.push_back("HOME=" + home_);
        environment.push_back("XDG_DATA_HOME=" + dataHome);
        program_ = std::make_unique<ChildProcess>(menuEntryCommand(), folder_.path(), environment);
        const Window window = desktop_->display().waitForActiveWindow("Veltrop", kTimeout);
        EXPECT_NE(window, 0u);
        return window;
    }

    void closeProgram(Window window) {
        desktop_->display().requestClose(window);
        EXPECT_EQ(program_->waitForExit(kTimeout), 0);
    }

    static DesktopSession* desktop_;
    TempFolder folder_;
    std::string home_ = folder_.file("home");
    std::unique_ptr<ChildProcess> program_;
};

DesktopSession* InstallDesktopTest::desktop_ = nullptr;

TEST_F(InstallDesktopTest, TheMenuEntryKeepsTheTableInAPrivateFolderAndReopensItThere) {
    const std::string folder = home_ + "/data/veltrop";
    const std::string table = folder + "/" + credentials::kFileName;
    const Window first = startFromMenu(home_ + "/data");
    ASSERT_NE(first, 0u);
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(table), 0600u);
    EXPECT_EQ(desktop_->display().iconPixels(first, 32), installedIconPixels(32));
    closeProgram(first);

    engine::RecordNumber number = 0;
    {
        engine::Session session;
        number = session.openTable(table, engine::OpenMode::ReadWrite)
                     ->insert({"Bank", "bank.example", "me", "secret", ""});
    }
    const Window second = startFromMenu(home_ + "/data");
    ASSERT_NE(second, 0u);
    // Typing into the Password editor (at its place in the main window's declared
    // layout) puts the record shown into edit state, which locks it in that table.
    ChildProcess typing({"/usr/bin/xdotool", "mousemove", "--window", std::to_string(second), "650",
                         "58", "click", "1", "type", "x"},
                        folder_.path(), desktop_->environment());
    EXPECT_EQ(typing.waitForExit(kTimeout), 0);
    std::filesystem::current_path(folder);
    EXPECT_TRUE(becomesTrue([&] { return recordIsBeingEdited(number); }));
    closeProgram(second);
}

TEST_F(InstallDesktopTest, WithoutAnAbsoluteXdgDataHomeTheTableGoesUnderTheHomeFolder) {
    for (const std::string& dataHome : {std::string(), std::string("relative/data")}) {
        const Window window = startFromMenu(dataHome);
        ASSERT_NE(window, 0u);
        EXPECT_EQ(modeOf(home_ + "/.local/share/veltrop/" + credentials::kFileName), 0600u)
            << "XDG_DATA_HOME=" << dataHome;
        closeProgram(window);
    }
}

}  // namespace
}  // namespace veltrop::testing
