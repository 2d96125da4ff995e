#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>
#include <QWindow>
#include <filesystem>

#include "app/startup.h"
#include "application_environment.h"
#include "platform/program_state.h"
#include "platform/termination.h"
#include "platform/window_hook.h"
#include "startup_windows.h"
#include "support/credential_records.h"
#include "support/temp_folder.h"

namespace veltrop::testing {
namespace {

// Counts every window the program shows, wherever it comes from.
struct ShownWindows {
    int count = 0;
    WindowHook hook{*QApplication::instance(), [this](QObject& watched, QEvent& event) {
                        if (event.type() == QEvent::Show && watched.isWidgetType() &&
                            static_cast<QWidget&>(watched).isWindow()) {
                            ++count;
                        }
                    }};
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { clearRecordedBoxes(); }
    void TearDown() override { clearRecordedBoxes(); }

    // Runs the program and has it do the step once its message loop runs.
    int runProgramThen(std::function<void()> step) {
        QTimer::singleShot(0, &stepContext_, std::move(step));
        return runProgram(application(), windows_);
    }

    // A start-up that fails never runs the step; it dies with the test.
    int runFailingProgram() {
        return runProgramThen([] {
            ADD_FAILURE() << "the message loop ran";
            requestTermination();
        });
    }

    static MainWindowStandIn& mainWindow() {
        return *static_cast<MainWindowStandIn*>(programState().mainForm.data());
    }

    ProgramState state_;
    TempFolder folder_;
    EventLog log_;
    QObject stepContext_;
    StartupWindows windows_{log_};
};

const Record kStored = {"Bank", "bank.example", "me", "secret", "note"};

TEST_F(StartupTest, CreatesTheWindowsInOrderShowsTheMainOneAndDestroysThemInReverse) {
    createCredentialTable(*std::make_unique<engine::Session>(), credentials::kFileName, {kStored});
    const int exitCode = runProgramThen([] { requestTermination(); });
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(log_, (EventLog{"create Form1", "create Form2", "create Form3", "show Form1",
                              "destroy Form3", "destroy Form2", "destroy Form1"}));
    EXPECT_EQ(programState().mainForm.data(), nullptr);
    EXPECT_TRUE(recordedBoxes().empty());
}

TEST_F(StartupTest, BothCursorsShowTheFirstRecordOnceTheLoopRuns) {
    engine::Session session;
    createCredentialTable(session, credentials::kFileName,
                          {kStored, {"Mail", "mail.example", "you", "pw", ""}});
    Record seen;
    runProgramThen([&] {
        seen = currentRecord(mainWindow().Table1());
        requestTermination();
    });
    EXPECT_EQ(seen, kStored);
}

TEST_F(StartupTest, ClosingTheMainWindowEndsTheProgramWithoutStoringAPendingEdit) {
    createCredentialTable(*std::make_unique<engine::Session>(), credentials::kFileName, {kStored});
    const int exitCode = runProgramThen([] {
        Table& table = mainWindow().Table1();
        table.Edit();
        table.fieldByName(credentials::kPassword).setAsString("changed");
        EXPECT_TRUE(table.modified());
        mainWindow().close();
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(recordsInFile(credentials::kFileName), std::vector<Record>{kStored});
    EXPECT_TRUE(recordedBoxes().empty());
}

TEST_F(StartupTest, APendingInsertIsDroppedAtShutdown) {
    createCredentialTable(*std::make_unique<engine::Session>(), credentials::kFileName, {kStored});
    runProgramThen([] {
        Table& table = mainWindow().Table1();
        table.Insert();
        table.fieldByName(credentials::kDescription).setAsString("New");
        requestTermination();
    });
    EXPECT_EQ(recordsInFile(credentials::kFileName), std::vector<Record>{kStored});
}

TEST_F(StartupTest, TheSessionEndingTerminatesTheProgram) {
    createCredentialTable(*std::make_unique<engine::Session>(), credentials::kFileName, {});
    const int exitCode = runProgramThen(
        [] { QCoreApplication::postEvent(QApplication::instance(), new QEvent(QEvent::Quit)); });
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(isTerminating());
    EXPECT_EQ(log_.back(), "destroy Form1");
}

TEST_F(StartupTest, AMissingTableIsCreatedEmptyForItsOwnerOnly) {
    ASSERT_FALSE(std::filesystem::exists(credentials::kFileName));
    EXPECT_EQ(runProgramThen([] { requestTermination(); }), 0);

    struct stat info {};
    ASSERT_EQ(stat(credentials::kFileName, &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_TRUE(recordsInFile(credentials::kFileName).empty());
    engine::Session session;
    EXPECT_EQ(session.openTable(credentials::kFileName, engine::OpenMode::ReadOnly)->definition(),
              credentials::definition());
}

// What every failed start-up must look like: one box, no window, exit code 1.
void expectOneApplicationErrorBox(const QString& kindName, const QString& message) {
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_EQ(recordedBoxes()[0].caption, "Application Error");
    const QString module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QRegularExpression pattern("^Exception " + QRegularExpression::escape(kindName) +
                                     " in module " + QRegularExpression::escape(module) +
                                     " at [0-9A-F]{8}\\.\n" + QRegularExpression::escape(message) +
                                     "$");
    EXPECT_TRUE(pattern.match(recordedBoxes()[0].text).hasMatch())
        << recordedBoxes()[0].text.toStdString();
}

TEST_F(StartupTest, AFileThatIsNoTableEndsStartupWithOneBoxAndNoWindow) {
    const std::string bytes = "these are not the records you are looking for\n";
    writeFileBytes(credentials::kFileName, bytes);
    ShownWindows shown;
    EXPECT_EQ(runFailingProgram(), 1);

    EXPECT_EQ(shown.count, 0);
    expectOneApplicationErrorBox("EEngineError", "The file is not a table\nTable: Veltrop.DB.");
    EXPECT_EQ(readFileBytes(credentials::kFileName), bytes);
    EXPECT_EQ(programState().mainForm.data(), nullptr);
}

TEST_F(StartupTest, AFailingSecondWindowDestroysTheFirstBeforeTheBox) {
    createCredentialTable(*std::make_unique<engine::Session>(), credentials::kFileName, {kStored});
    windows_.failingWindow = 2;
    whileBoxShown([this] { log_.push_back("box"); });
    ShownWindows shown;
    EXPECT_EQ(runFailingProgram(), 1);
    EXPECT_EQ(log_, (EventLog{"create Form1", "destroy Form1", "box"}));
    EXPECT_EQ(shown.count, 0);
    expectOneApplicationErrorBox("EWindowFailure", "Window cannot be created.");
}

TEST_F(StartupTest, AProtectedTableAsksForThePasswordOnceForBothCursors) {
    {
        engine::Session session;
        createCredentialTable(session, credentials::kFileName, {kStored});
        session.protectTable(credentials::kFileName, "open sesame");
    }
    windows_.prompt = [](engine::Session& session) {
        session.addPassword("open sesame");
        return true;
    };
    Record seen;
    EXPECT_EQ(runProgramThen([&] {
                  seen = currentRecord(mainWindow().Table1());
                  requestTermination();
              }),
              0);
    EXPECT_EQ(seen, kStored);
    EXPECT_EQ(std::count(log_.begin(), log_.end(), "password asked"), 1);
}

TEST_F(StartupTest, ACancelledPasswordEndsStartupWithTheEnginesError) {
    {
        engine::Session session;
        createCredentialTable(session, credentials::kFileName, {kStored});
        session.protectTable(credentials::kFileName, "open sesame");
    }
    const std::string bytes = readFileBytes(credentials::kFileName);
    ShownWindows shown;
    EXPECT_EQ(runFailingProgram(), 1);
    EXPECT_EQ(std::count(log_.begin(), log_.end(), "password asked"), 1);
    EXPECT_EQ(shown.count, 0);
    expectOneApplicationErrorBox(
        "EEngineError",
        "Insufficient table rights: the table is protected by a password\nTable: Veltrop.DB.");
    EXPECT_EQ(readFileBytes(credentials::kFileName), bytes);
}

}  // namespace
}  // namespace veltrop::testing
