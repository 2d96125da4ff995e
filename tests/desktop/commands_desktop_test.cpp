#include <gtest/gtest.h>

// Before the X headers, whose macros clash with Qt's names.
#include <QApplication>
#include <QTest>

#include "dialogs/select_window.h"
#include "main_window/form1.h"
#include "support/credential_records.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <map>
#include <memory>

#include "child_process.h"
#include "desktop_session.h"
#include "probes.h"
#include "support/temp_folder.h"

// The record commands of the real program, clicked and answered on a desktop with
// a window manager.
namespace veltrop::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// Generous: the machine is shared, and a slow program is no failure.
constexpr seconds kTimeout{60};

const std::vector<Record> kRecords = {
    {"Bank", "bank.example", "anna", "secret", ""},
    {"Mail", "mail.example", "anna.k", "hidden", ""},
    {"Shop", "shop.example", "ak", "s3cret", ""},
};

// Where the user clicks, in client coordinates: the program's own windows are laid
// out once, off screen, on a table like the test's, and asked where their controls
// are; fonts and style are the desktop's in both places.
struct ClickPoints {
    std::map<std::string, QPoint> toolButtons;
    QPoint passwordEditor;
    std::vector<QPoint> rows;  // of the selection window's grid
};

QPoint centreIn(QWidget& window, QWidget& control) {
    return control.mapTo(&window, control.rect().center());
}

ClickPoints measureClickPoints() {
    TempFolder folder;
    engine::Session session;
    createCredentialTable(session, credentials::kFileName, kRecords);
    TForm1 form1(session, {});
    TForm2 form2(session, {});
    form1.show();
    form2.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form1));
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form2));

    ClickPoints points;
    for (QToolButton* button :
         {form1.ToolButtonLookUp(), form1.ToolButtonSave(), form1.ToolButtonExit()}) {
        points.toolButtons[button->objectName().toStdString()] = centreIn(form1, *button);
    }
    points.passwordEditor = centreIn(form1, *form1.DBEdit4());
    RecordGrid& grid = form2.DBGrid1();
    for (int row = 0; row < grid.rowCount(); ++row) {
        const QPoint inGrid(grid.columnWidth(0) / 2, row * grid.rowPitch() + grid.rowPitch() / 2);
        points.rows.push_back(grid.viewport()->mapTo(&form2, inGrid));
    }
    return points;
}

// The window manager's client windows from bottom to top (_NET_CLIENT_LIST_STACKING).
std::vector<Window> stackingOrder(const std::string& displayName) {
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display) {
        return {};
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<Window> clients;
    if (XGetWindowProperty(display, DefaultRootWindow(display),
                           XInternAtom(display, "_NET_CLIENT_LIST_STACKING", False), 0, 1024, False,
                           XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
        data) {
        const auto* windows = reinterpret_cast<const Window*>(data);
        clients.assign(windows, windows + count);
        XFree(data);
    }
    XCloseDisplay(display);
    return clients;
}

class CommandsDesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        app_ = new QApplication(argc_, argv_);
        points_ = new ClickPoints(measureClickPoints());
        desktop_ = new DesktopSession;
    }
    static void TearDownTestSuite() {
        delete desktop_;
        delete points_;
        delete app_;
    }

    void SetUp() override {
        engine::Session session;
        session.createTable(credentials::kFileName, credentials::definition());
        auto file = session.openTable(credentials::kFileName, engine::OpenMode::ReadWrite);
        for (const Record& record : kRecords) {
            numbers_.push_back(file->insert(record));
        }
    }

    XDisplay& display() { return desktop_->display(); }

    // Starts the program and waits until its main window is framed and active.
    void startProgram() {
        program_ = std::make_unique<ChildProcess>(std::vector<std::string>{VELTROP_PROGRAM},
                                                  folder_.path(), desktop_->environment());
        ASSERT_TRUE(display().waitUntil(
            [&] {
                mainWindow_ = display().framedWindowNamed("Veltrop").value_or(0);
                return mainWindow_ != 0 && display().activeWindow() == mainWindow_;
            },
            kTimeout));
    }

    void xdotool(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "/usr/bin/xdotool");
        ChildProcess tool(arguments, folder_.path(), desktop_->environment());
        EXPECT_EQ(tool.waitForExit(kTimeout), 0);
    }
    void clickAt(Window window, int x, int y, int clicks = 1) {
        xdotool({"mousemove", "--window", std::to_string(window), std::to_string(x),
                 std::to_string(y), "click", "--repeat", std::to_string(clicks), "1"});
    }
    void clickAt(Window window, QPoint point, int clicks = 1) {
        clickAt(window, point.x(), point.y(), clicks);
    }
    void clickToolButton(const char* name) { clickAt(mainWindow_, points_->toolButtons.at(name)); }
    // Clicks into the Password editor and types at the end of its text.
    void typePassword(const std::string& text) {
        clickAt(mainWindow_, points_->passwordEditor);
        xdotool({"key", "End"});
        xdotool({"type", text});
    }

    // Waits for the window to be framed and take the focus, as a question in Form3's
    // title bar or the selection window does.
    Window waitForActive(const std::string& title) {
        Window window = 0;
        EXPECT_TRUE(display().waitUntil(
            [&] {
                window = display().framedWindowNamed(title).value_or(0);
                return window != 0 && display().activeWindow() == window;
            },
            kTimeout))
            << title;
        return window;
    }
    // Placed at the main window's left + 25 and top + 25, frames included.
    void expectOverTheMainWindow(Window window) {
        const FrameGeometry main = display().frameGeometry(mainWindow_);
        const FrameGeometry placed = display().frameGeometry(window);
        EXPECT_EQ(placed.x, main.x + 25);
        EXPECT_EQ(placed.y, main.y + 25);
    }
    bool waitUntilGone(const std::string& title) {
        return display().waitUntil([&] { return display().windowsNamed(title).empty(); }, kTimeout);
    }

    bool stillRunning() { return !program_->waitForExit(milliseconds(0)).has_value(); }

    void closeProgram() {
        display().requestClose(mainWindow_);
        EXPECT_EQ(program_->waitForExit(kTimeout), 0);
    }

    // What the running program's Password editor shows, read from the clipboard
    // while the program owns it.
    std::string shownPassword() {
        clickAt(mainWindow_, points_->passwordEditor);
        xdotool({"key", "ctrl+a", "ctrl+c"});
        const std::string out = folder_.file("clipboard.txt");
        ChildProcess xclip({"/bin/sh", "-c", "/usr/bin/xclip -o -selection clipboard > " + out},
                           folder_.path(), desktop_->environment());
        EXPECT_EQ(xclip.waitForExit(kTimeout), 0);
        return readFileBytes(out);
    }

    static inline int argc_ = 1;
    static inline char name_[] = "commands_desktop_test";
    static inline char* argv_[] = {name_, nullptr};
    static inline QApplication* app_ = nullptr;
    static inline ClickPoints* points_ = nullptr;
    static inline DesktopSession* desktop_ = nullptr;
    TempFolder folder_;
    std::unique_ptr<ChildProcess> program_;
    Window mainWindow_ = 0;
    std::vector<engine::RecordNumber> numbers_;
};

TEST_F(CommandsDesktopTest, SaveAnsweredOkAsksAboveTheMainWindowAndTheValueOutlivesARestart) {
    startProgram();
    typePassword("9");
    clickToolButton("ToolButtonSave");
    const Window dialog = waitForActive("Save Changes?");
    ASSERT_NE(dialog, 0u);

    expectOverTheMainWindow(dialog);
    const std::vector<Window> stacking = stackingOrder(desktop_->displayName());
    const auto mainAt = std::find(stacking.begin(), stacking.end(), mainWindow_);
    const auto dialogAt = std::find(stacking.begin(), stacking.end(), dialog);
    ASSERT_NE(mainAt, stacking.end());
    ASSERT_NE(dialogAt, stacking.end());
    EXPECT_GT(dialogAt, mainAt) << "the question is stacked below the main window";

    xdotool({"key", "Return"});
    ASSERT_TRUE(waitUntilGone("Save Changes?"));
    EXPECT_FALSE(recordIsBeingEdited(numbers_[0]));
    closeProgram();
    EXPECT_EQ(recordsInFile(credentials::kFileName)[0][3], "secret9");

    startProgram();
    EXPECT_EQ(shownPassword(), "secret9");
    closeProgram();
}

TEST_F(CommandsDesktopTest, SaveAnsweredCancelLeavesTheStoredValue) {
    startProgram();
    typePassword("9");
    EXPECT_TRUE(becomesTrue([&] { return recordIsBeingEdited(numbers_[0]); }));
    clickToolButton("ToolButtonSave");
    ASSERT_NE(waitForActive("Save Changes?"), 0u);
    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitUntilGone("Save Changes?"));

    EXPECT_TRUE(becomesTrue([&] { return !recordIsBeingEdited(numbers_[0]); }));
    EXPECT_EQ(shownPassword(), "secret");
    closeProgram();
    EXPECT_EQ(recordsInFile(credentials::kFileName), kRecords);
}

TEST_F(CommandsDesktopTest, ExitWithPendingChangesCancelledStaysAndASecondExitEndsTheProgram) {
    startProgram();
    typePassword("9");
    clickToolButton("ToolButtonExit");
    ASSERT_NE(waitForActive("Save Changes?"), 0u);
    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitUntilGone("Save Changes?"));
    EXPECT_TRUE(stillRunning());
    EXPECT_TRUE(display().framedWindowNamed("Veltrop").has_value());

    clickToolButton("ToolButtonExit");
    EXPECT_EQ(program_->waitForExit(kTimeout), 0);
    EXPECT_EQ(recordsInFile(credentials::kFileName), kRecords);
}

TEST_F(CommandsDesktopTest, ADoubleClickOnARowOfFindShowsThatRecordInTheMainWindow) {
    startProgram();
    clickToolButton("ToolButtonLookUp");
    const Window selection = waitForActive("Select");
    ASSERT_NE(selection, 0u);
    expectOverTheMainWindow(selection);

    clickAt(selection, points_->rows.at(2), 2);
    ASSERT_TRUE(waitUntilGone("Select"));
    EXPECT_EQ(shownPassword(), kRecords[2][3]);
    // Typing now edits the chosen record: its lock is taken.
    typePassword("9");
    EXPECT_TRUE(becomesTrue([&] { return recordIsBeingEdited(numbers_[2]); }));
    EXPECT_FALSE(recordIsBeingEdited(numbers_[0]));
    closeProgram();
    EXPECT_EQ(recordsInFile(credentials::kFileName), kRecords);
}

}  // namespace
}  // namespace veltrop::testing
