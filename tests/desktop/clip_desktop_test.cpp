#include <gtest/gtest.h>

// Before the X headers, whose macros clash with Qt's names.
#include "main_window/form1_layout.h"
#include "support/credential_records.h"

#include <X11/Xlib.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "child_process.h"
#include "desktop_session.h"
#include "probes.h"
#include "support/temp_folder.h"

// The clipboard menu, the Web and Email buttons and the banner of the real program,
// with xclip as the other program on the clipboard and a URL handler of our own.
namespace veltrop::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// Generous: the machine is shared, and a slow program is no failure.
constexpr seconds kTimeout{60};

// Places in the main window's client area: the tool bar band's grip, the banner and
// the Description editor, from the declared layout.
constexpr int kBandGrip = 9;
constexpr int kGripX = 4;
constexpr int kToolRowY = form1::kToolBarBorder + form1::kButtonHeight / 2;
constexpr int kDescriptionX = 200;
constexpr int kDescriptionY = 58;

// The centre of a tool bar item: the band's grip comes first, then the tool bar's
// border and the items before it.
int toolItemX(const char* name) {
    int left = kBandGrip + form1::kToolBarBorder;
    for (const form1::ToolItem& item : form1::kToolItems) {
        const int width = item.kind == form1::ItemKind::Button      ? form1::kButtonWidth
                          : item.kind == form1::ItemKind::Separator ? form1::kSeparatorWidth
                                                                    : form1::kBanner.width;
        if (std::string(item.name) == name) {
            return left + width / 2;
        }
        left += width;
    }
    throw std::logic_error(std::string("no tool item ") + name);
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ClipDesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { desktop_ = new DesktopSession; }
    static void TearDownTestSuite() {
        delete desktop_;
        desktop_ = nullptr;
    }

    // A URL handler for web addresses and mail that writes what it is given into
    // a file, one line each.
    void SetUp() override {
        const std::string opener = folder_.file("opener.sh");
        std::ofstream(opener) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> " << openedFile() << "\n";
        std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
        std::filesystem::create_directories(folder_.file("data/applications"));
        std::filesystem::create_directories(folder_.file("config"));
        std::ofstream(folder_.file("data/applications/veltrop-test-opener.desktop"))
            << "[Desktop Entry]\nType=Application\nName=Opener\nExec=" << opener << " %u\n"
            << "MimeType=x-scheme-handler/http;x-scheme-handler/https;x-scheme-handler/mailto;\n";
        std::ofstream mimeapps(folder_.file("config/mimeapps.list"));
        mimeapps << "[Default Applications]\n";
        for (const char* scheme : {"http", "https", "mailto"}) {
            mimeapps << "x-scheme-handler/" << scheme << "=veltrop-test-opener.desktop\n";
        }
    }

    std::string openedFile() const { return folder_.file("opened.txt"); }
    std::vector<std::string> environment() const {
        std::vector<std::string> entries = desktop_->environment();
        entries.push_back("XDG_DATA_HOME=" + folder_.file("data"));
        entries.push_back("XDG_CONFIG_HOME=" + folder_.file("config"));
        return entries;
    }

    void startProgram(const std::vector<Record>& records) {
        engine::Session session;
        createCredentialTable(session, credentials::kFileName, records);
        startAgain();
    }
    void startAgain() {
        program_ = std::make_unique<ChildProcess>(std::vector<std::string>{VELTROP_PROGRAM},
                                                  folder_.path(), environment());
        mainWindow_ = desktop_->display().waitForActiveWindow("Veltrop", kTimeout);
        ASSERT_NE(mainWindow_, 0u);
    }
    void closeProgram() {
        desktop_->display().requestClose(mainWindow_);
        EXPECT_EQ(program_->waitForExit(kTimeout), 0);
    }

    int run(const std::string& shell) {
        ChildProcess tool({"/bin/sh", "-c", shell}, folder_.path(), environment());
        return tool.waitForExit(kTimeout).value_or(-1);
    }
    void xdotool(const std::string& arguments) {
        EXPECT_EQ(run("/usr/bin/xdotool " + arguments), 0);
    }
    void clickAt(int x, int y, int button = 1, int clicks = 1) {
        xdotool("mousemove --window " + std::to_string(mainWindow_) + " " + std::to_string(x) +
                " " + std::to_string(y) + " click --repeat " + std::to_string(clicks) + " " +
                std::to_string(button));
    }
    // Menus are the program's override-redirect windows, which the window manager
    // never frames.
    bool menusBecome(std::size_t count) {
        XDisplay& display = desktop_->display();
        return display.waitUntil([&] { return display.popupsOf(program_->pid()).size() == count; },
                                 kTimeout);
    }

    // Right-clicks the bar's grip and walks the menu by keyboard: the submenu (0 Copy,
    // 1 Paste), then its item (0 URL, 1 Login Id, 2 Password).
    void chooseFromMenu(int submenu, int item) {
        const std::size_t before = desktop_->display().popupsOf(program_->pid()).size();
        clickAt(kGripX, kToolRowY, 3);
        ASSERT_TRUE(menusBecome(before + 1));
        xdotool("key --repeat " + std::to_string(submenu + 1) + " Down");
        xdotool("key Right");
        ASSERT_TRUE(menusBecome(before + 2));
        if (item > 0) {
            xdotool("key --repeat " + std::to_string(item) + " Down");
        }
        xdotool("key Return");
        ASSERT_TRUE(menusBecome(before));
    }

    // Makes xclip the clipboard's owner with the file's contents, until the test ends.
    void offerOnClipboard(const std::string& file) {
        clipboardOwner_ = std::make_unique<ChildProcess>(
            // In the foreground, so that it ends with the test; its chatter goes nowhere.
            std::vector<std::string>{
                "/bin/sh", "-c",
                "exec /usr/bin/xclip -quiet -i -selection clipboard '" + file + "' > /dev/null"},
            folder_.path(), environment());
        ASSERT_TRUE(becomesTrue([&] { return clipboard("") == readText(file); }));
    }
    std::string clipboard(const std::string& target) {
        const std::string out = folder_.file("clipboard.out");
        std::filesystem::remove(out);
        run("/usr/bin/xclip -o -selection clipboard " + target + " > " + out);
        return readText(out);
    }

    // Saves with OK and ends the program.
    void saveAndClose() {
        clickAt(toolItemX("ToolButtonSave"), kToolRowY);
        XDisplay& display = desktop_->display();
        ASSERT_TRUE(display.waitUntil(
            [&] { return display.framedWindowNamed("Save Changes?").has_value(); }, kTimeout));
        xdotool("key Return");
        ASSERT_TRUE(display.waitUntil([&] { return display.windowsNamed("Save Changes?").empty(); },
                                      kTimeout));
        closeProgram();
    }

    void writeSettings(const std::string& lines) {
        std::filesystem::create_directories(folder_.file("config/veltrop"));
        std::ofstream(folder_.file("config/veltrop/veltrop.conf")) << lines;
    }

    // A clipboard manager that takes over whatever the program offers it at its end.
    void startClipboardManager() {
        const std::string ready = folder_.file("manager.ready");
        clipboardManager_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{VELTROP_CLIPBOARD_MANAGER, ready}, folder_.path(),
            environment());
        ASSERT_TRUE(becomesTrue([&] { return readText(ready) == "ready"; }));
    }

    bool openedBecomes(const std::string& lines) {
        return becomesTrue([&] { return readText(openedFile()) == lines; });
    }

    static inline DesktopSession* desktop_ = nullptr;
    TempFolder folder_;
    std::unique_ptr<ChildProcess> program_;
    std::unique_ptr<ChildProcess> clipboardOwner_;
    std::unique_ptr<ChildProcess> clipboardManager_;
    Window mainWindow_ = 0;
};

TEST_F(ClipDesktopTest, CopyPasswordPutsTheStoredPasswordMarkedSecretOnTheClipboard) {
    startProgram({{"Bank", "bank.example", "anna", "pin-1234", ""}});
    chooseFromMenu(0, 2);
    EXPECT_EQ(clipboard(""), "pin-1234");
    EXPECT_EQ(clipboard("-t x-kde-passwordManagerHint"), "secret");
    closeProgram();
}

// Copy ▸ Login Id and Copy ▸ Password (items 1 and 2) are taken off after the set time.
TEST_F(ClipDesktopTest, CopiedLoginIdAndPasswordLeaveTheClipboardAfterTheSetTime) {
    writeSettings("ClipboardClearSeconds=1\n");
    startProgram({{"Bank", "bank.example", "anna", "pin-1234", ""}});
    for (const auto& [item, copied] : {std::pair{1, "anna"}, std::pair{2, "pin-1234"}}) {
        chooseFromMenu(0, item);
        EXPECT_EQ(clipboard(""), copied);
        EXPECT_TRUE(becomesTrue([&] { return clipboard("").empty(); })) << copied;
    }
    closeProgram();
}

TEST_F(ClipDesktopTest, ACopyMadeInBetweenSurvivesTheClearing) {
    writeSettings("ClipboardClearSeconds=1\n");
    startProgram({{"Bank", "bank.example", "anna", "pin-1234", ""}});
    chooseFromMenu(0, 2);
    const auto copied = std::chrono::steady_clock::now();
    std::ofstream(folder_.file("mine.txt")) << "the user's own text";
    offerOnClipboard(folder_.file("mine.txt"));
    // Nothing announces a clearing that does not happen: watch until well past the time.
    while (std::chrono::steady_clock::now() < copied + seconds(3)) {
        ASSERT_EQ(clipboard(""), "the user's own text");
    }
    closeProgram();
    EXPECT_EQ(clipboard(""), "the user's own text");
}

// The manager takes what the program leaves at its end: a URL, which is no secret, but
// never a password, however long before its clearing time the program ends.
TEST_F(ClipDesktopTest, AtExitAClipboardManagerGetsTheUrlButNoPassword) {
    startClipboardManager();
    startProgram({{"Bank", "bank.example", "anna", "pin-1234", ""}});
    chooseFromMenu(0, 0);
    EXPECT_EQ(clipboard(""), "bank.example");
    closeProgram();
    EXPECT_EQ(clipboard(""), "bank.example");

    startAgain();
    chooseFromMenu(0, 2);
    EXPECT_EQ(clipboard(""), "pin-1234");
    closeProgram();
    EXPECT_EQ(clipboard(""), "");
}

TEST_F(ClipDesktopTest, PasteUrlOfAHundredKilobytesFillsTheFieldAndIsSaved) {
    std::string text;
    for (int i = 0; text.size() < 100 * 1024; ++i) {
        text += "https://site" + std::to_string(i) + ".example/";
    }
    std::ofstream(folder_.file("long.txt")) << text;
    offerOnClipboard(folder_.file("long.txt"));
    startProgram({{"Bank", "bank.example", "anna", "pin-1234", ""}});
    chooseFromMenu(1, 0);
    saveAndClose();
    EXPECT_EQ(recordsInFile(credentials::kFileName),
              (std::vector<Record>{{"Bank", text.substr(0, 55), "anna", "pin-1234", ""}}));
}

TEST_F(ClipDesktopTest, PasteLoginIdOfAnEmptyClipboardStoresItEmpty) {
    std::ofstream(folder_.file("empty.txt")).flush();
    offerOnClipboard(folder_.file("empty.txt"));
    startProgram({{"Bank", "bank.example", "anna", "pin-1234", ""}});
    chooseFromMenu(1, 1);
    saveAndClose();
    EXPECT_EQ(recordsInFile(credentials::kFileName),
              (std::vector<Record>{{"Bank", "bank.example", "", "pin-1234", ""}}));
}

TEST_F(ClipDesktopTest, WebHandsOverTheShownUrlAlsoTypedUnsavedOrABareHostName) {
    startProgram({{"Bank", "https://bank.example/login", "anna", "pin-1234", ""}});
    clickAt(toolItemX("ToolButtonInternet"), kToolRowY);
    ASSERT_TRUE(openedBecomes("https://bank.example/login\n"));
    // Tab goes from Description on to the URL editor and selects its text.
    clickAt(kDescriptionX, kDescriptionY);
    xdotool("key Tab End");
    xdotool("type '?typed'");
    clickAt(toolItemX("ToolButtonInternet"), kToolRowY);
    ASSERT_TRUE(openedBecomes("https://bank.example/login\nhttps://bank.example/login?typed\n"));
    clickAt(kDescriptionX, kDescriptionY);
    xdotool("key Tab");
    xdotool("type www.example.org");
    clickAt(toolItemX("ToolButtonInternet"), kToolRowY);
    EXPECT_TRUE(openedBecomes(
        "https://bank.example/login\nhttps://bank.example/login?typed\nhttp://www.example.org\n"));
    EXPECT_EQ(recordsInFile(credentials::kFileName)[0][1], "https://bank.example/login");
    closeProgram();
}

TEST_F(ClipDesktopTest, EmptyUrlHandsOverNothingEmailMailtoAndTheBannerOurHomePage) {
    startProgram({{"Bank", "", "anna", "pin-1234", ""}});
    const std::vector<std::string> titles = desktop_->display().titles();
    clickAt(toolItemX("ToolButtonInternet"), kToolRowY);
    clickAt(toolItemX("ToolButtonEmail"), kToolRowY);
    ASSERT_TRUE(openedBecomes("mailto:\n"));
    clickAt(toolItemX("Label1"), kToolRowY, 1, 2);
    EXPECT_TRUE(openedBecomes("mailto:\nhttp://veltrop.example.org\n"));
    EXPECT_EQ(desktop_->display().titles(), titles);
    closeProgram();
}

}  // namespace
}  // namespace veltrop::testing
