#include <QApplication>

#include "engine/error.h"
#include "form1_fixture.h"
#include "support/expect_error.h"

namespace veltrop::testing {
namespace {

using engine::ErrorCode;

using Form1OpenTest = Form1Test;

TEST_F(Form1OpenTest, AFailureToOpenTheTableEscapesTheConstructor) {
    const int windowsBefore = static_cast<int>(QApplication::topLevelWidgets().size());
    EXPECT_THAT([&] { TForm1 form(session_, Table::PasswordPrompt()); },
                ThrowsEngineError(ErrorCode::TableNotFound));
    // Nothing of the half-built window is left behind.
    EXPECT_EQ(static_cast<int>(QApplication::topLevelWidgets().size()), windowsBefore);
}

TEST_F(Form1OpenTest, AProtectedTableAsksTheGivenPrompt) {
    createTable({{"Bank", "bank.example", "me", "secret", ""}});
    session_.protectTable(credentials::kFileName, "open sesame");
    session_.removeAllPasswords();
    int asked = 0;
    form_ = std::make_unique<TForm1>(session_, [&] {
        ++asked;
        session_.addPassword("open sesame");
        return true;
    });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(form_->Table1().state(), TableState::Browse);
    EXPECT_EQ(form_->DBEdit1()->text(), "Bank");
}

TEST_F(Form1OpenTest, APromptThatGivesUpEndsTheWindowsCreation) {
    createTable();
    session_.protectTable(credentials::kFileName, "open sesame");
    session_.removeAllPasswords();
    EXPECT_THAT([&] { TForm1 form(session_, [] { return false; }); },
                ThrowsEngineError(ErrorCode::InsufficientRights));
}

}  // namespace
}  // namespace veltrop::testing
