#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/program_windows.h"
#include "app/startup.h"
#include "application_environment.h"
#include "dialogs/password_dialog.h"
#include "main_window/form1.h"
#include "platform/program_state.h"
#include "platform/termination.h"
#include "support/credential_records.h"
#include "support/temp_folder.h"

// Start-up and shutdown with the program's own windows.
namespace veltrop::testing {
namespace {

const Record kStored = {"Bank", "bank.example", "me", "secret", "note"};

class ProgramStartupTest : public ::testing::Test {
protected:
    void SetUp() override { clearRecordedBoxes(); }
    void TearDown() override { clearRecordedBoxes(); }

    // Runs the program and has it do the step once the main window is shown; the
    // first event loop may be a dialog's during start-up.
    int runProgramThen(std::function<void()> step) {
        whenMainWindowShown(std::move(step));
        return runProgram(application(), ProgramWindows());
    }

    void whenMainWindowShown(std::function<void()> step) {
        QTimer::singleShot(10, &stepContext_, [this, step = std::move(step)] {
            if (programState().mainForm && programState().mainForm->isVisible()) {
                step();
            } else {
                whenMainWindowShown(step);
            }
        });
    }

    static TForm1& mainWindow() { return *static_cast<TForm1*>(programState().mainForm.data()); }

    ProgramState state_;
    TempFolder folder_;
    QObject stepContext_;
};

TEST_F(ProgramStartupTest, ClosingTheMainWindowWhileEditingEndsWithoutAQuestionAndLosesTheEdit) {
    createCredentialTable(*std::make_unique<engine::Session>(), credentials::kFileName, {kStored});
    const std::string before = readFileBytes(credentials::kFileName);
    TableState stateWhenClosed = TableState::Inactive;
    const int exitCode = runProgramThen([&] {
        QTest::keyClicks(mainWindow().DBEdit4(), "typed");
        stateWhenClosed = mainWindow().Table1().state();
        mainWindow().close();
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(stateWhenClosed, TableState::Edit);
    EXPECT_TRUE(recordedBoxes().empty());
    EXPECT_EQ(readFileBytes(credentials::kFileName), before);
}

// Does the step once the password dialog is up.
void whenPasswordAsked(std::function<void(PasswordDialog&)> step) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<PasswordDialog*>(window);
        if (dialog && dialog->isVisible()) {
            step(*dialog);
            return;
        }
    }
    QTimer::singleShot(10, [step = std::move(step)] { whenPasswordAsked(step); });
}

// Types the password and presses OK.
void answerPasswordDialog(const QString& password, int& asked) {
    whenPasswordAsked([&password, &asked](PasswordDialog& dialog) {
        ++asked;
        QTest::keyClicks(dialog.Password(), password);
        QTest::mouseClick(dialog.OKButton(), Qt::LeftButton);
    });
}

void protectStoredTable() {
    engine::Session session;
    createCredentialTable(session, credentials::kFileName, {kStored});
    session.protectTable(credentials::kFileName, "open sesame");
}

// Logging out while the start asks for the password is no failure to report.
TEST_F(ProgramStartupTest, TheSessionEndingWhileThePasswordIsAskedEndsWithoutABox) {
    protectStoredTable();
    QTimer::singleShot(0, &stepContext_, [] {
        whenPasswordAsked([](PasswordDialog&) {
            QCoreApplication::postEvent(QApplication::instance(), new QEvent(QEvent::Quit));
        });
    });
    EXPECT_EQ(runProgram(application(), ProgramWindows()), 0);
    EXPECT_TRUE(recordedBoxes().empty());
    EXPECT_EQ(programState().mainForm, nullptr);
    // The quit ended the dialog's loop only; the main loop, which never ran, would end
    // every loop of a later test at once. Running it once clears that.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(ProgramStartupTest, AProtectedTableIsOpenedWithThePasswordGivenInTheDialog) {
    protectStoredTable();
    int asked = 0;
    const QString password = "open sesame";
    QTimer::singleShot(0, &stepContext_, [&] { answerPasswordDialog(password, asked); });
    Record shown;
    const int exitCode = runProgramThen([&] {
        shown = currentRecord(mainWindow().Table1());
        requestTermination();
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(shown, kStored);
    EXPECT_TRUE(recordedBoxes().empty());
}

TEST_F(ProgramStartupTest, ConflictCopiesBesideTheTableAreToldOfOnceAfterTheWindowShows) {
    engine::Session session;
    createCredentialTable(session, credentials::kFileName, {kStored});
    for (const char* copy : {"Veltrop.sync-conflict-20261209-051500-ABCDEFG.DB",
                             "Veltrop (conflicted copy 2026-12-09 051500).DB"}) {
        createCredentialTable(session, copy, {kStored});
    }
    std::vector<QString> notices;
    bool shownFirst = false;
    programState().notice = [&](const QString& text) {
        shownFirst = programState().mainForm && programState().mainForm->isVisible();
        notices.push_back(text);
    };
    runProgramThen([&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !notices.empty(); }, 5000));
        mainWindow().close();
    });
    EXPECT_TRUE(shownFirst);
    EXPECT_EQ(notices, std::vector<QString>{
                           "Veltrop.DB has 2 conflicting copies from a file-sync service beside "
                           "it. Run 'veltrop-table merge --conflicts' to bring their records in."});
}

// What killed rewrites and exports left behind, with records in them, is gone once the
// program has started; a plain table that others can read is told of in a box.
TEST_F(ProgramStartupTest, StartingRemovesLeftoversAndTellsOfATableOthersCanRead) {
    createCredentialTable(*std::make_unique<engine::Session>(), credentials::kFileName, {kStored});
    const std::vector<std::string> leftovers = {"Veltrop.DB.new-Ab12Cd",
                                                "Veltrop.DB.new-Ab12Cd-journal",
                                                "records.csv.veltrop-part-Xy34Zw"};
    for (const std::string& name : leftovers) {
        writeFileBytes(name, "Bank,bank.example,me,secret,note\n");
    }
    ASSERT_EQ(chmod(credentials::kFileName, 0644), 0);
    std::vector<QString> notices;
    programState().notice = [&](const QString& text) { notices.push_back(text); };
    const int exitCode = runProgramThen([&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !notices.empty(); }, 5000));
        mainWindow().close();
    });
    EXPECT_EQ(exitCode, 0);
    for (const std::string& name : leftovers) {
        EXPECT_NE(access(name.c_str(), F_OK), 0) << name;
    }
    EXPECT_EQ(notices, std::vector<QString>{
                           "Veltrop.DB is not protected and other users can read it; protect it "
                           "with a password, or let only yourself read it (chmod 600)."});
}

}  // namespace
}  // namespace veltrop::testing
