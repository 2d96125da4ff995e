#include "dialogs/password_dialog.h"

#include <QProxyStyle>
#include <QScreen>

#include "core/guard.h"
#include "dialogs/typed_secret.h"
#include "platform/guarded_connect.h"
#include "platform/modal_loop.h"
#include "ui_password_dialog.h"

namespace veltrop {

namespace {

// Echoes each character of the password as "*".
class StarEchoStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) {
            return u'*';
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

PasswordDialog::PasswordDialog(engine::Session& session, QWidget* parent)
    : Form(parent), session_(session), ui_(std::make_unique<Ui::PasswordDialog>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    auto* echo = new StarEchoStyle;
    echo->setParent(ui_->Password);
    ui_->Password->setStyle(echo);

    connectGuarded(ui_->Password, &QLineEdit::textChanged, this, &PasswordDialog::PasswordChange);
    connectGuarded(ui_->AddButton, &QPushButton::clicked, this, &PasswordDialog::AddButtonClick);
    connectGuarded(ui_->RemoveButton, &QPushButton::clicked, this,
                   &PasswordDialog::RemoveButtonClick);
    connectGuarded(ui_->RemoveAllButton, &QPushButton::clicked, this,
                   &PasswordDialog::RemoveAllButtonClick);
    connectGuarded(ui_->OKButton, &QPushButton::clicked, this, &PasswordDialog::OKButtonClick);
    connectGuarded(ui_->CancelButton, &QPushButton::clicked, this,
                   &PasswordDialog::CancelButtonClick);
    // Enter presses the focused button, else OK; Escape is Cancel.
    setKeyButtons(ui_->OKButton, ui_->CancelButton);
    PasswordChange();
    ui_->Password->setFocus();
}

PasswordDialog::~PasswordDialog() = default;

QLineEdit* PasswordDialog::Password() const {
    return ui_->Password;
}
QPushButton* PasswordDialog::AddButton() const {
    return ui_->AddButton;
}
QPushButton* PasswordDialog::RemoveButton() const {
    return ui_->RemoveButton;
}
QPushButton* PasswordDialog::RemoveAllButton() const {
    return ui_->RemoveAllButton;
}
QPushButton* PasswordDialog::OKButton() const {
    return ui_->OKButton;
}
QPushButton* PasswordDialog::CancelButton() const {
    return ui_->CancelButton;
}

engine::Secret PasswordDialog::takeTyped() {
    return takeTypedSecret(*ui_->Password);
}

void PasswordDialog::showEvent(QShowEvent* event) {
    guarded([&] {
        QRect frame = frameGeometry();
        frame.moveCenter(screen()->geometry().center());
        move(frame.topLeft());
    });
    Form::showEvent(event);
}

void PasswordDialog::PasswordChange() {
    const bool typedSome = !ui_->Password->text().isEmpty();
    ui_->AddButton->setEnabled(typedSome);
    ui_->RemoveButton->setEnabled(typedSome);
    ui_->OKButton->setEnabled(typedSome || added_);
}

void PasswordDialog::startAgain() {
    ui_->Password->clear();
    ui_->Password->setFocus();
    PasswordChange();
}

void PasswordDialog::AddButtonClick() {
    session_.addPassword(takeTyped().view());
    added_ = true;
    startAgain();
}

void PasswordDialog::RemoveButtonClick() {
    session_.removePassword(takeTyped().view());
    startAgain();
}

void PasswordDialog::RemoveAllButtonClick() {
    session_.removeAllPasswords();
    ui_->Password->setFocus();
}

void PasswordDialog::OKButtonClick() {
    // With nothing typed, OK only confirms the passwords added before.
    if (!ui_->Password->text().isEmpty()) {
        session_.addPassword(takeTyped().view());
    }
    setModalResult(ModalResult::Ok);
}

void PasswordDialog::CancelButtonClick() {
    setModalResult(ModalResult::Cancel);
}

Table::PasswordPrompt passwordDialogPrompt(engine::Session& session) {
    return [&session] {
        PasswordDialog dialog(session);
        return showModal(dialog) == ModalResult::Ok;
    };
}

}  // namespace veltrop
