// "Enter password": its captions, enabling rules and the effect of each button on the
// session's password list, and the dialog as the cursor's prompt when a protected
// table is opened.
#include "dialogs/password_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "application_environment.h"
#include "engine/error.h"
#include "engine/session.h"
#include "platform/program_state.h"
#include "store/credential_table.h"
#include "store/table.h"
#include "support/credential_records.h"
#include "support/expect_error.h"
#include "support/temp_folder.h"

namespace veltrop::testing {
namespace {

using Passwords = std::vector<std::string>;

constexpr const char* kTablePassword = "s3cret \u00e4";

class PasswordDialogTest : public ::testing::Test {
protected:
    void SetUp() override { clearRecordedBoxes(); }
    void TearDown() override {
        answers_.stop();
        EXPECT_TRUE(recordedBoxes().empty());
    }

    // One key event per character, carrying its text as a keyboard layout delivers it.
    static void type(QWidget* widget, const QString& text) {
        for (const QChar character : text) {
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(character),
                                Qt::NoModifier);
        }
    }
    static void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    Passwords listed() const {
        Passwords texts;
        for (const engine::Secret& password : session_.passwords()) {
            texts.emplace_back(password.view());
        }
        return texts;
    }

    // Answers each dialog the prompt shows with the next action, as the user would.
    void answerDialogs(std::vector<std::function<void(PasswordDialog&)>> actions) {
        actions_ = std::move(actions);
        answers_.setInterval(10);
        QObject::connect(&answers_, &QTimer::timeout, [this] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<PasswordDialog*>(window);
                if (dialog && dialog->isVisible() &&
                    dialog->modalResult() == ModalResult::Running &&
                    dialogsAnswered_ < actions_.size()) {
                    shownCentre_ = dialog->frameGeometry().center();
                    actions_[dialogsAnswered_++](*dialog);
                }
            }
        });
        answers_.start();
    }

    ProgramState state_;
    TempFolder folder_;
    engine::Session session_;
    QTimer answers_;
    std::vector<std::function<void(PasswordDialog&)>> actions_;
    size_t dialogsAnswered_ = 0;
    QPoint shownCentre_;
};

TEST_F(PasswordDialogTest, CaptionsAndEchoAreThoseOfTheDialog) {
    PasswordDialog dialog(session_);
    EXPECT_EQ(dialog.windowTitle(), "Enter password");
    auto* group = dialog.findChild<QGroupBox*>();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), "Password");
    EXPECT_TRUE(group->isAncestorOf(dialog.Password()));
    EXPECT_EQ(dialog.AddButton()->text(), "&Add");
    EXPECT_EQ(dialog.RemoveButton()->text(), "&Remove");
    EXPECT_EQ(dialog.RemoveAllButton()->text(), "Re&move all");
    EXPECT_EQ(dialog.OKButton()->text(), "&OK");
    EXPECT_EQ(dialog.CancelButton()->text(), "Cancel");
    EXPECT_TRUE(dialog.OKButton()->isDefault());
    EXPECT_EQ(dialog.Password()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.Password()->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr,
                                                    dialog.Password()),
              '*');
    EXPECT_EQ(dialog.Password()->accessibleName(), "Password");
}

TEST_F(PasswordDialogTest, AddAndRemoveNeedTypedTextAndOkAlsoAnAddedPassword) {
    PasswordDialog dialog(session_);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_FALSE(dialog.AddButton()->isEnabled());
    EXPECT_FALSE(dialog.RemoveButton()->isEnabled());
    EXPECT_FALSE(dialog.OKButton()->isEnabled());
    EXPECT_TRUE(dialog.RemoveAllButton()->isEnabled());
    EXPECT_TRUE(dialog.CancelButton()->isEnabled());

    type(dialog.Password(), "a");
    EXPECT_TRUE(dialog.AddButton()->isEnabled());
    EXPECT_TRUE(dialog.RemoveButton()->isEnabled());
    EXPECT_TRUE(dialog.OKButton()->isEnabled());
    QTest::keyClick(dialog.Password(), Qt::Key_Backspace);
    EXPECT_FALSE(dialog.AddButton()->isEnabled());
    EXPECT_FALSE(dialog.OKButton()->isEnabled());
    // Removing does not count as adding.
    type(dialog.Password(), "gone");
    click(dialog.RemoveButton());
    EXPECT_FALSE(dialog.OKButton()->isEnabled());

    type(dialog.Password(), "first");
    click(dialog.AddButton());
    EXPECT_EQ(dialog.Password()->text(), "");
    EXPECT_TRUE(dialog.Password()->hasFocus());
    EXPECT_FALSE(dialog.AddButton()->isEnabled());
    EXPECT_FALSE(dialog.RemoveButton()->isEnabled());
    EXPECT_TRUE(dialog.OKButton()->isEnabled());
}

TEST_F(PasswordDialogTest, EachAddAndRemoveReachesTheSessionAtOnce) {
    session_.addPassword("listed before");
    PasswordDialog dialog(session_);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    type(dialog.Password(), "one");
    click(dialog.AddButton());
    type(dialog.Password(), "two");
    // The mnemonic clicks the button a moment later, as a click shows.
    QTest::keyClick(dialog.Password(), Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return listed().size() == 3; }, 5000));
    EXPECT_EQ(listed(), (Passwords{"listed before", "one", "two"}));

    type(dialog.Password(), "one");
    click(dialog.RemoveButton());
    EXPECT_EQ(listed(), (Passwords{"listed before", "two"}));
    EXPECT_EQ(dialog.Password()->text(), "");
    EXPECT_TRUE(dialog.Password()->hasFocus());

    type(dialog.Password(), "kept in the box");
    click(dialog.RemoveAllButton());
    EXPECT_TRUE(session_.passwords().empty());
    EXPECT_EQ(dialog.Password()->text(), "kept in the box");
    EXPECT_TRUE(dialog.Password()->hasFocus());
}

TEST_F(PasswordDialogTest, OkAddsTheTypedPasswordAndAnswersTrue) {
    answerDialogs({[](PasswordDialog& dialog) {
        type(dialog.Password(), "typed");
        click(dialog.OKButton());
        // Read once and gone from the editor, its undo history included.
        EXPECT_TRUE(dialog.Password()->text().isEmpty());
        dialog.Password()->undo();
        EXPECT_TRUE(dialog.Password()->text().isEmpty());
    }});
    EXPECT_TRUE(passwordDialogPrompt(session_)());
    EXPECT_EQ(listed(), Passwords{"typed"});
    EXPECT_EQ(dialogsAnswered_, 1u);
    // Screen-centred.
    const QPoint screenCentre = QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE((shownCentre_ - screenCentre).manhattanLength(), 2);
}

TEST_F(PasswordDialogTest, EnterInTheTextBoxIsOk) {
    answerDialogs({[](PasswordDialog& dialog) {
        type(dialog.Password(), "entered");
        QTest::keyClick(dialog.Password(), Qt::Key_Return);
    }});
    EXPECT_TRUE(passwordDialogPrompt(session_)());
    EXPECT_EQ(listed(), Passwords{"entered"});
}

TEST_F(PasswordDialogTest, OkWithOnlyAddedPasswordsAddsNothingMore) {
    answerDialogs({[](PasswordDialog& dialog) {
        type(dialog.Password(), "added");
        click(dialog.AddButton());
        click(dialog.OKButton());
    }});
    EXPECT_TRUE(passwordDialogPrompt(session_)());
    EXPECT_EQ(listed(), Passwords{"added"});
}

TEST_F(PasswordDialogTest, CancelEscapeAndTheCloseBoxAnswerFalseAndKeepWhatWasAdded) {
    answerDialogs({
        [](PasswordDialog& dialog) {
            type(dialog.Password(), "added");
            click(dialog.AddButton());
            type(dialog.Password(), "typed only");
            click(dialog.CancelButton());
        },
        [](PasswordDialog& dialog) {
            type(dialog.Password(), "typed only");
            QTest::keyClick(dialog.Password(), Qt::Key_Escape);
        },
        [](PasswordDialog& dialog) {
            type(dialog.Password(), "typed only");
            dialog.close();
        },
    });
    const Table::PasswordPrompt prompt = passwordDialogPrompt(session_);
    EXPECT_FALSE(prompt());
    EXPECT_FALSE(prompt());
    EXPECT_FALSE(prompt());
    EXPECT_EQ(dialogsAnswered_, 3u);
    EXPECT_EQ(listed(), Passwords{"added"});
}

class ProtectedTableTest : public PasswordDialogTest {
protected:
    void SetUp() override {
        PasswordDialogTest::SetUp();
        engine::Session owner;
        createCredentialTable(owner, credentials::kFileName,
                              {{"Bank", "https://bank.example.org", "anna", "pin", "note"}});
        owner.protectTable(credentials::kFileName, kTablePassword);
        table_.setPasswordPrompt(passwordDialogPrompt(session_));
    }

    Table table_{"Table1", session_, credentials::kFileName, credentials::definition()};
};

TEST_F(ProtectedTableTest, OpensOnceTheRightPasswordIsGivenAndAsksAgainAfterAWrongOne) {
    answerDialogs({
        [](PasswordDialog& dialog) {
            type(dialog.Password(), "wrong");
            click(dialog.OKButton());
        },
        [](PasswordDialog& dialog) {
            type(dialog.Password(), "wrong");
            click(dialog.RemoveButton());
            type(dialog.Password(), kTablePassword);
            click(dialog.OKButton());
        },
    });
    table_.open();
    EXPECT_EQ(dialogsAnswered_, 2u);
    EXPECT_EQ(table_.state(), TableState::Browse);
    EXPECT_EQ(table_.fieldByName(credentials::kDescription).asString(), "Bank");
    EXPECT_EQ(listed(), Passwords{kTablePassword});
    // The listed password serves every later open without a question.
    table_.close();
    table_.open();
    EXPECT_EQ(dialogsAnswered_, 2u);
}

TEST_F(ProtectedTableTest, CancellingFailsTheOpenWithTheEnginesError) {
    answerDialogs({[](PasswordDialog& dialog) { click(dialog.CancelButton()); }});
    EXPECT_THAT([&] { table_.open(); }, ThrowsEngineError(engine::ErrorCode::InsufficientRights));
    EXPECT_EQ(dialogsAnswered_, 1u);
    EXPECT_FALSE(table_.active());
}

}  // namespace
}  // namespace veltrop::testing
