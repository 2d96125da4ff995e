#pragma once

#include <gtest/gtest.h>

// Before the X headers, whose macros clash with Qt's names.
#include <QApplication>
#include <QPoint>

#include "support/credential_records.h"

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "desktop_session.h"
#include "support/temp_folder.h"

namespace veltrop::testing {

// Where the user clicks, in client coordinates: the program's own windows are laid
// out once, off screen, on a table like the test's, and asked where their controls
// are; fonts and style are the desktop's in both places.
struct ClickPoints {
    std::map<std::string, QPoint> toolButtons;
    QPoint passwordEditor;
    std::vector<QPoint> rows;  // of the selection window's grid, as many as fit
};

// Tests of the real program on one desktop for the whole suite: each test starts it
// in a fresh folder on a table of kRecords and drives it as a user would, with
// xdotool.
class ProgramFixture : public ::testing::Test {
protected:
    // Generous: the machine is shared, and a slow program is no failure.
    static constexpr std::chrono::seconds kTimeout{60};
    static inline const std::vector<Record> kRecords = {
        {"Bank", "bank.example", "anna", "secret", ""},
        {"Mail", "mail.example", "anna.k", "hidden", ""},
        {"Shop", "shop.example", "ak", "s3cret", ""},
    };

    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    XDisplay& display() { return desktop_->display(); }

    // Starts the program, with these entries added to its environment, and waits
    // until its main window is framed and active.
    void startProgram(const std::vector<std::string>& extraEnvironment = {});
    bool stillRunning();
    // Closes the main window with its close box; the program ends with 0.
    void closeProgram();

    void xdotool(std::vector<std::string> arguments);
    void clickAt(Window window, QPoint point, int clicks = 1, int button = 1);
    void clickToolButton(const char* name);
    // Clicks into the Password editor and types at the end of its text.
    void typePassword(const std::string& text);
    // What the running program's Password editor shows, read from the clipboard
    // while the program owns it.
    std::string shownPassword();

    // Waits for the window to be framed and take the focus, as a question in Form3's
    // title bar or the selection window does.
    Window waitForActive(const std::string& title);
    bool waitUntilGone(const std::string& title);

    static inline ClickPoints* points_ = nullptr;
    static inline DesktopSession* desktop_ = nullptr;
    TempFolder folder_;
    std::unique_ptr<ChildProcess> program_;
    Window mainWindow_ = 0;
    std::vector<engine::RecordNumber> numbers_;

private:
    static inline QApplication* app_ = nullptr;
};

}  // namespace veltrop::testing
