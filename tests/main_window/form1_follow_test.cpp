// The main window follows the name Veltrop.DB when another file is renamed into its
// place, as a sync service does: at once while idle, at the next command while editing;
// the selection window's list follows at its refresh after Find.
#include <cstdio>

#include "commands_fixture.h"
#include "dialogs/password_dialog.h"

namespace veltrop::testing {
namespace {

const Record kFromB = {"Forum", "forum.example", "ak", "f0rum", "added on B"};

class Form1FollowTest : public CommandsTest {
protected:
    void SetUp() override {
        programState().notice = [this](const QString& text) {
            notices_.push_back(text.toStdString());
        };
    }

    // Another machine's copy of the table arrives: written aside, renamed into place.
    static void arrive(const std::vector<Record>& records, const std::string& password = {}) {
        engine::Session other;
        createCredentialTable(other, "incoming.DB", records);
        if (!password.empty()) {
            other.protectTable("incoming.DB", password);
        }
        ASSERT_EQ(std::rename("incoming.DB", credentials::kFileName), 0);
    }

    bool showsSoon(const Record& record) {
        return QTest::qWaitFor([&] { return shown() == record; }, 5000);
    }

    int rowsInFind() {
        int rows = -1;
        whileSelectionShown([&](TForm2& form) {
            rows = form.DBGrid1().model()->rowCount();
            form.setModalResult(ModalResult::Cancel);
        });
        click(form1().ToolButtonLookUp());
        return rows;
    }

    std::vector<std::string> notices_;
};

TEST_F(Form1FollowTest, AnIdleWindowShowsTheArrivedFileAtOnce) {
    openWindows(kRecords);
    const Record changed = {"Bank", "bank.example", "anna", "pin-9999", "changed on B"};
    arrive({changed, kRecords[1], kRecords[2], kFromB});
    EXPECT_TRUE(showsSoon(changed));
    EXPECT_TRUE(notices_.empty());
}

TEST_F(Form1FollowTest, ATableDeletedJustBeforeTheNewOneIsRenamedInIsNotToldOf) {
    openWindows(kRecords);
    engine::Session other;
    createCredentialTable(other, "incoming.DB", {kFromB});
    // As Syncthing replaces a file: the old one deleted, then the new one renamed in.
    ASSERT_EQ(std::remove(credentials::kFileName), 0);
    auto* gone = form1().findChild<QTimer*>(QStringLiteral("TableGoneTimer"));
    ASSERT_NE(gone, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return gone->isActive(); }, 5000));
    ASSERT_EQ(std::rename("incoming.DB", credentials::kFileName), 0);
    EXPECT_TRUE(showsSoon(kFromB));
    EXPECT_FALSE(gone->isActive());
    EXPECT_TRUE(notices_.empty());
}

TEST_F(Form1FollowTest, ATableGoneForGoodIsToldOfOnce) {
    openWindows(kRecords);
    ASSERT_EQ(std::rename(credentials::kFileName, "moved.DB"), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !notices_.empty(); }, 5000));
    EXPECT_EQ(notices_.size(), 1u);
    EXPECT_EQ(shown(), kRecords[0]);
}

TEST_F(Form1FollowTest, AnEditIsSavedIntoTheArrivedFileWithItsChanges) {
    openWindows(kRecords);
    type(form1().DBEdit4(), "9");
    arrive({kRecords[0], kRecords[1], kRecords[2], kFromB});
    // The folder's notice comes during the edit and leaves the typed text alone.
    QTest::qWait(0);
    EXPECT_EQ(shown(), kEdited);
    answer({Answer::Ok});
    click(form1().ToolButtonSave());
    EXPECT_EQ(storedRecords(), (std::vector<Record>{kEdited, kRecords[1], kRecords[2], kFromB}));
    EXPECT_TRUE(notices_.empty());
}

TEST_F(Form1FollowTest, TheFirstKeystrokeFollowsBeforeTheEditBegins) {
    openWindows(kRecords);
    arrive({kRecords[0], kRecords[1], kRecords[2], kFromB});
    type(form1().DBEdit4(), "9");
    EXPECT_EQ(shown(), kEdited);
    answer({Answer::Ok});
    click(form1().ToolButtonSave());
    EXPECT_EQ(storedRecords(), (std::vector<Record>{kEdited, kRecords[1], kRecords[2], kFromB}));
    EXPECT_TRUE(recordedBoxes().empty());
    EXPECT_TRUE(notices_.empty());
}

TEST_F(Form1FollowTest, AnEditOfARecordChangedElsewhereIsSavedAsANewRecord) {
    openWindows(kRecords);
    type(form1().DBEdit4(), "9");
    const Record theirs = {"Bank", "bank.example", "anna", "pin-0000", "first"};
    arrive({theirs, kRecords[1], kRecords[2]});
    answer({Answer::Ok});
    click(form1().ToolButtonSave());
    EXPECT_EQ(storedRecords(), (std::vector<Record>{theirs, kRecords[1], kRecords[2], kEdited}));
    EXPECT_EQ(shown(), kEdited);
    EXPECT_EQ(notices_, std::vector<std::string>{"This record was changed on another machine. "
                                                 "Your version was saved as a new record."});
}

TEST_F(Form1FollowTest, FindListsTheArrivedRecordsFromTheSecondFindOn) {
    openWindows(kRecords);
    type(form1().DBEdit4(), "9");
    arrive({kRecords[0], kRecords[1], kRecords[2], kFromB});
    EXPECT_EQ(rowsInFind(), 3) << "the list stays as last read";
    EXPECT_EQ(rowsInFind(), 4);
    answer({Answer::Ok});
    click(form1().ToolButtonSave());
}

// The password question comes up in the middle of the keystroke that starts the edit;
// once answered, that keystroke goes into the editor like any other.
TEST_F(Form1FollowTest, TheKeystrokeThatAskedForTheNewPasswordIsTyped) {
    createTable(kRecords);
    openWindowsOnTable(nullptr, passwordDialogPrompt(session()));
    arrive(kRecords, "new key");
    QTimer answering;
    QObject::connect(&answering, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<PasswordDialog*>(window);
            if (!dialog || !dialog->isVisible()) {
                continue;
            }
            answering.stop();
            QTest::keyClicks(dialog->Password(), "new key");
            QTest::mouseClick(dialog->OKButton(), Qt::LeftButton);
        }
    });
    answering.start(10);
    type(form1().DBEdit4(), "9");
    EXPECT_EQ(shown(), kEdited);
    answer({Answer::Ok});
    click(form1().ToolButtonSave());
    EXPECT_EQ(recordsInFile(credentials::kFileName, {"new key"})[0], kEdited);
}

}  // namespace
}  // namespace veltrop::testing
