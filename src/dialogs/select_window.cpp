#include "dialogs/select_window.h"

#include "store/credential_table.h"

namespace veltrop {

namespace {
constexpr int kClientWidth = 506;
constexpr int kClientHeight = 129;
}  // namespace

TForm2::TForm2(engine::Session& session, Table::PasswordPrompt prompt, QWidget* parent)
    : Form(parent), table1_("Table1", session, credentials::kFileName, credentials::definition()) {
    setWindowTitle("Select");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setFixedSize(kClientWidth, kClientHeight);
    table1_.setPasswordPrompt(std::move(prompt));
    table1_.open();
}

}  // namespace veltrop
