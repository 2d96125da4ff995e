#include <gtest/gtest.h>

// Before the X headers, whose macros clash with Qt's names.
#include "store/table.h"

#include <algorithm>
#include <filesystem>
#include <memory>

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

bool contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

class StartupDesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { desktop_ = new DesktopSession; }
    static void TearDownTestSuite() {
        delete desktop_;
        desktop_ = nullptr;
    }

    std::unique_ptr<ChildProcess> startProgram() {
        return std::make_unique<ChildProcess>(std::vector<std::string>{VELTROP_PROGRAM},
                                              folder_.path(), desktop_->environment());
    }

    XDisplay& display() { return desktop_->display(); }
    bool floats(Window window) {
        return contains(display().netWmState(window), "_NET_WM_STATE_ABOVE");
    }

    // Keys pressed by a user, through xdotool, into the window that has the focus.
    void typeOnDesktop(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "/usr/bin/xdotool");
        ChildProcess xdotool(arguments, folder_.path(), desktop_->environment());
        EXPECT_EQ(xdotool.waitForExit(kTimeout), 0);
    }

    static DesktopSession* desktop_;
    TempFolder folder_;
};

DesktopSession* StartupDesktopTest::desktop_ = nullptr;

TEST_F(StartupDesktopTest, TheMainWindowFloatsAt200By116AndItsCloseBoxEndsTheProgram) {
    {
        engine::Session session;
        session.createTable(credentials::kFileName, credentials::definition());
    }
    const std::string before = readFileBytes(credentials::kFileName);
    auto program = startProgram();

    std::optional<Window> mainWindow;
    ASSERT_TRUE(display().waitUntil(
        [&] { return (mainWindow = display().framedWindowNamed("Veltrop")).has_value(); },
        kTimeout));
    const FrameGeometry frame = display().frameGeometry(*mainWindow);
    EXPECT_EQ(frame.x, 200);
    EXPECT_EQ(frame.y, 116);
    EXPECT_TRUE(floats(*mainWindow));

    display().requestClose(*mainWindow);
    EXPECT_EQ(program->waitForExit(kTimeout), 0);
    EXPECT_EQ(readFileBytes(credentials::kFileName), before);
}

TEST_F(StartupDesktopTest, WithoutATableFileTheProgramStartsOnANewEmptyOne) {
    auto program = startProgram();
    std::optional<Window> mainWindow;
    ASSERT_TRUE(display().waitUntil(
        [&] { return (mainWindow = display().framedWindowNamed("Veltrop")).has_value(); },
        kTimeout));
    EXPECT_TRUE(std::filesystem::exists(credentials::kFileName));
    display().requestClose(*mainWindow);
    EXPECT_EQ(program->waitForExit(kTimeout), 0);
}

TEST_F(StartupDesktopTest, AFileThatIsNoTableGivesOneApplicationErrorBoxAndExitCode1) {
    const std::string bytes(3000, 'x');
    writeFileBytes(credentials::kFileName, bytes);
    auto program = startProgram();

    std::optional<Window> box;
    ASSERT_TRUE(display().waitUntil(
        [&] { return (box = display().framedWindowNamed("Application Error")).has_value(); },
        kTimeout));
    EXPECT_EQ(display().windowsNamed("Application Error").size(), 1u);
    EXPECT_FALSE(contains(display().titles(), "Veltrop"));
    EXPECT_FALSE(program->waitForExit(std::chrono::milliseconds(0)).has_value())
        << "the program ended before its box was closed";

    display().requestClose(*box);
    EXPECT_EQ(program->waitForExit(kTimeout), 1);
    EXPECT_EQ(readFileBytes(credentials::kFileName), bytes);
}

TEST_F(StartupDesktopTest, AProtectedTableOpensWithThePasswordTypedIntoTheDialog) {
    {
        engine::Session session;
        session.createTable(credentials::kFileName, credentials::definition());
        session.protectTable(credentials::kFileName, "open sesame");
    }
    const std::string before = readFileBytes(credentials::kFileName);
    auto program = startProgram();

    ASSERT_NE(display().waitForActiveWindow("Enter password", kTimeout), 0u);
    EXPECT_FALSE(contains(display().titles(), "Veltrop"));
    typeOnDesktop({"type", "--delay", "20", "open sesame"});
    typeOnDesktop({"key", "Return"});

    std::optional<Window> mainWindow;
    ASSERT_TRUE(display().waitUntil(
        [&] { return (mainWindow = display().framedWindowNamed("Veltrop")).has_value(); },
        kTimeout));
    display().requestClose(*mainWindow);
    EXPECT_EQ(program->waitForExit(kTimeout), 0);
    EXPECT_EQ(readFileBytes(credentials::kFileName), before);
}

TEST_F(StartupDesktopTest, TypingIntoThePasswordEditorStartsAnEditThatTheCloseBoxDrops) {
    engine::RecordNumber number = 0;
    {
        engine::Session session;
        session.createTable(credentials::kFileName, credentials::definition());
        number = session.openTable(credentials::kFileName, engine::OpenMode::ReadWrite)
                     ->insert({"Bank", "bank.example", "me", "secret", ""});
    }
    const std::string before = readFileBytes(credentials::kFileName);
    auto program = startProgram();

    const Window mainWindow = display().waitForActiveWindow("Veltrop", kTimeout);
    ASSERT_NE(mainWindow, 0u);
    EXPECT_FALSE(recordIsBeingEdited(number));
    // The Password editor's place in the main window's declared layout.
    typeOnDesktop({"mousemove", "--window", std::to_string(mainWindow), "650", "58", "click", "1"});
    typeOnDesktop({"type", "x"});
    // Edit state holds the record's lock until the edit ends.
    EXPECT_TRUE(becomesTrue([&] { return recordIsBeingEdited(number); }));

    display().requestClose(mainWindow);
    EXPECT_EQ(program->waitForExit(kTimeout), 0);
    EXPECT_FALSE(recordIsBeingEdited(number));
    EXPECT_EQ(readFileBytes(credentials::kFileName), before);
}

TEST_F(StartupDesktopTest, AnErrorInAHandlerIsShownInABoxCaptionedWithTheTitle) {
    engine::Session session;
    session.createTable(credentials::kFileName, credentials::definition());
    session.openTable(credentials::kFileName, engine::OpenMode::ReadWrite)
        ->insert({"Bank", "bank.example", "me", "secret", ""});
    // The record being edited here, typing there is refused with an error.
    Table holder("Table1", session, credentials::kFileName, credentials::definition());
    holder.open();
    holder.Edit();
    auto program = startProgram();

    const Window mainWindow = display().waitForActiveWindow("Veltrop", kTimeout);
    ASSERT_NE(mainWindow, 0u);
    // The Password editor's place in the main window's declared layout.
    typeOnDesktop({"mousemove", "--window", std::to_string(mainWindow), "650", "58", "click", "1"});
    typeOnDesktop({"type", "x"});
    std::optional<Window> box;
    ASSERT_TRUE(display().waitUntil(
        [&] {
            for (Window window : display().windowsNamed("Veltrop")) {
                if (window != mainWindow) {
                    box = window;
                }
            }
            return box.has_value();
        },
        kTimeout));
    // The box is not top-most, so the main window gives that up while it is shown.
    EXPECT_TRUE(display().waitUntil([&] { return !floats(mainWindow); }, kTimeout));
    EXPECT_FALSE(floats(*box));

    display().requestClose(*box);
    ASSERT_TRUE(display().waitUntil([&] { return display().windowsNamed("Veltrop").size() == 1; },
                                    kTimeout));
    EXPECT_TRUE(display().waitUntil([&] { return floats(mainWindow); }, kTimeout));
    EXPECT_FALSE(program->waitForExit(std::chrono::milliseconds(0)).has_value())
        << "the program ended after an error in a handler";
    display().requestClose(mainWindow);
    EXPECT_EQ(program->waitForExit(kTimeout), 0);
}

}  // namespace
}  // namespace veltrop::testing
