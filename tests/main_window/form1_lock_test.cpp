#include <QClipboard>
#include <QGuiApplication>

#include "commands_fixture.h"
#include "support/recording_notification_area.h"

// Locking the main window's protected table and opening it again, driven directly:
// the bus notices that ask for it are played in the desktop tests.
namespace veltrop::testing {
namespace {

constexpr const char* kPassword = "open sesame";

class Form1LockTest : public CommandsTest {
protected:
    // The three windows on a protected table; the password prompt answers with the
    // password while one is given, else Cancel.
    void openProtected() {
        createTable(kRecords);
        session().protectTable(credentials::kFileName, kPassword);
        openAgain();
    }
    void openAgain() {
        answer_ = kPassword;
        openWindowsOnTable(std::make_unique<RecordingNotificationArea>(tray_), [this] {
            ++asked_;
            if (answer_) {
                session().addPassword(*answer_);
            }
            return answer_.has_value();
        });
        asked_ = 0;
    }

    std::shared_ptr<RecordingNotificationArea::State> tray_ =
        std::make_shared<RecordingNotificationArea::State>();
    std::optional<std::string> answer_;
    int asked_ = 0;
};

TEST_F(Form1LockTest, LockingClosesBothCursorsWipesThePasswordsAndHidesTheWindow) {
    ASSERT_NO_FATAL_FAILURE(openProtected());
    table().next();
    form1().PoUpCopyPasswordClick();
    ASSERT_EQ(QGuiApplication::clipboard()->text(), "secret");

    form1().lockRequested();
    EXPECT_TRUE(form1().locked());
    EXPECT_FALSE(table().active());
    EXPECT_FALSE(form2().Table1().active());
    EXPECT_TRUE(session().passwords().empty());
    for (DBEdit* editor :
         {form1().DBEdit1(), form1().DBEdit2(), form1().DBEdit3(), form1().DBEdit4()}) {
        EXPECT_TRUE(editor->text().isEmpty()) << editor->objectName().toStdString();
    }
    EXPECT_TRUE(form1().DBMemo1()->toPlainText().isEmpty());
    EXPECT_FALSE(form1().isVisible());
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());

    // Cancel: still locked, still hidden.
    answer_.reset();
    form1().unlock();
    EXPECT_EQ(asked_, 1);
    EXPECT_TRUE(form1().locked());
    EXPECT_FALSE(form1().isVisible());

    answer_ = kPassword;
    form1().unlock();
    EXPECT_FALSE(form1().locked());
    EXPECT_TRUE(form1().isVisible());
    EXPECT_EQ(form1().DBEdit1()->text(), "Mail");
    EXPECT_TRUE(form2().Table1().active());
    closeWindows();
}

TEST_F(Form1LockTest, APendingEditPutsTheLockOffAndKeepsTheTyping) {
    ASSERT_NO_FATAL_FAILURE(openProtected());
    table().Edit();
    form1().DBEdit4()->setText("typed");
    form1().lockRequested();
    EXPECT_FALSE(form1().locked());
    EXPECT_TRUE(table().active());
    EXPECT_EQ(form1().DBEdit4()->text(), "typed");
    EXPECT_EQ(session().passwords().size(), 1u);
    table().Cancel();
    closeWindows();
}

TEST_F(Form1LockTest, AClipboardTheUserChangedIsNotCleared) {
    ASSERT_NO_FATAL_FAILURE(openProtected());
    form1().PopUpCopyLoginIdClick();
    QGuiApplication::clipboard()->setText("the user's own");
    form1().lockRequested();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "the user's own");
    closeWindows();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "the user's own");
}

TEST_F(Form1LockTest, OurCopyGoesWithTheWindowButAUrlStays) {
    ASSERT_NO_FATAL_FAILURE(openProtected());
    form1().PopUpCopyURLClick();
    closeWindows();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "bank.example");
    ASSERT_NO_FATAL_FAILURE(openAgain());
    form1().PopUpCopyLoginIdClick();
    closeWindows();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
}

}  // namespace
}  // namespace veltrop::testing
