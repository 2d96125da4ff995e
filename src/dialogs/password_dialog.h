#pragma once

#include <memory>

#include "engine/session.h"
#include "platform/form.h"
#include "store/table.h"

class QLineEdit;
class QPushButton;

namespace Ui {
class PasswordDialog;
}

namespace veltrop {

// "Enter password": edits the session's list of table passwords, which every later
// open of a table tries. Each Add and Remove reaches the session at once; OK adds
// the typed password too and ends with OK.
class PasswordDialog : public Form {
    Q_OBJECT

public:
    explicit PasswordDialog(engine::Session& session, QWidget* parent = nullptr);
    ~PasswordDialog() override;

    QLineEdit* Password() const;
    QPushButton* AddButton() const;
    QPushButton* RemoveButton() const;
    QPushButton* RemoveAllButton() const;
    QPushButton* OKButton() const;
    QPushButton* CancelButton() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void PasswordChange();
    void AddButtonClick();
    void RemoveButtonClick();
    void RemoveAllButtonClick();
    void OKButtonClick();
    void CancelButtonClick();
    void startAgain();
    engine::Secret takeTyped();

    engine::Session& session_;
    std::unique_ptr<Ui::PasswordDialog> ui_;
    bool added_ = false;
};

// The cursors' password prompt: shows "Enter password" modally; true when the user
// left it with OK, to try the listed passwords again.
Table::PasswordPrompt passwordDialogPrompt(engine::Session& session);

}  // namespace veltrop
