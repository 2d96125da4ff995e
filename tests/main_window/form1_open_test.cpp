#include <QApplication>

#include "engine/error.h"
#include "form1_fixture.h"

namespace veltrop::testing {
namespace {

using engine::EngineError;
using engine::ErrorCode;

using Form1OpenTest = Form1Test;

TEST_F(Form1OpenTest, AFailureToOpenTheTableEscapesTheConstructor) {
    const int windowsBefore = static_cast<int>(QApplication::topLevelWidgets().size());
    try {
        TForm1 form(session_, Table::PasswordPrompt());
        ADD_FAILURE() << "a window without its table";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.code(), ErrorCode::TableNotFound) << error.message();
    }
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
    try {
        TForm1 form(session_, [] { return false; });
        ADD_FAILURE() << "a protected table opened without its password";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.code(), ErrorCode::InsufficientRights) << error.message();
    }
}

}  // namespace
}  // namespace veltrop::testing
