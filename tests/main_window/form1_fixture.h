#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <vector>

#include "main_window/form1.h"
#include "support/credential_records.h"
#include "support/temp_folder.h"

namespace veltrop::testing {

// A main window on a table of its own in a fresh working folder.
class Form1Test : public ::testing::Test {
protected:
    void createTable(const std::vector<Record>& records = {}) {
        createCredentialTable(session_, credentials::kFileName, records);
    }

    TForm1& openWindow() {
        form_ = std::make_unique<TForm1>(session_, Table::PasswordPrompt());
        form_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        return *form_;
    }

    TempFolder folder_;
    engine::Session session_;
    std::unique_ptr<TForm1> form_;
};

}  // namespace veltrop::testing
