// The main window's record commands and the confirmation of every save.

#include "core/guard.h"
#include "dialogs/confirm.h"
#include "dialogs/select_window.h"
#include "main_window/form1.h"
#include "platform/guarded_connect.h"
#include "platform/invalid_operation.h"
#include "platform/modal_loop.h"
#include "store/errors.h"

namespace veltrop {

namespace {

// Questions and the selection window open this far right of and below the main
// window's top-left corner, frame included.
constexpr QPoint kDialogOffset(25, 25);

constexpr const char* kAddQuestion = "Add New Entry?";
constexpr const char* kDeleteQuestion = "Delete Current Entry?";
constexpr const char* kSaveQuestion = "Save Changes?";

}  // namespace

void TForm1::setDialogs(TForm2& form2, TForm3& form3) {
    form2_ = &form2;
    form3_ = &form3;
}

void TForm1::connectCommands() {
    const struct {
        QToolButton* button;
        void (TForm1::*handler)();
    } commands[] = {
        {ToolButtonLookUp(), &TForm1::ToolButtonLookUpClick},
        {ToolButtonAdd(), &TForm1::ToolButtonAddClick},
        {ToolButtonSave(), &TForm1::ToolButtonSaveClick},
        {ToolButtonDel(), &TForm1::ToolButtonDelClick},
        {ToolButtonExit(), &TForm1::ToolButtonExitClick},
    };
    for (const auto& command : commands) {
        connectGuarded(command.button, &QToolButton::clicked, this, command.handler);
    }
}

void TForm1::requireDialogs() const {
    if (!form2_ || !form3_) {
        // Without the dialog nobody could confirm a save, and none may happen unasked.
        throw InvalidOperation("The main window has no dialogs");
    }
}

int TForm1::ask(const char* question) {
    requireDialogs();
    form3_->move(pos() + kDialogOffset);
    form3_->setWindowTitle(QString::fromLatin1(question));
    return showModal(*form3_);
}

void TForm1::ToolButtonLookUpClick() {
    requireDialogs();
    form2_->move(pos() + kDialogOffset);
    showModal(*form2_);
    form2_->refreshAfterClose();
}

void TForm1::ToolButtonAddClick() {
    if (ask(kAddQuestion) == ModalResult::Ok) {
        Table1().Insert();
    }
}

void TForm1::ToolButtonSaveClick() {
    if (Table1().state() != TableState::Browse) {
        Table1().Post();
    }
}

void TForm1::ToolButtonDelClick() {
    if (ask(kDeleteQuestion) == ModalResult::Ok) {
        Table1().Delete();
    }
}

void TForm1::ToolButtonExitClick() {
    if (Table1().state() != TableState::Browse) {
        Table1().Post();
    }
    if (Table1().state() == TableState::Browse) {
        requireDialogs();
        form3_->close();
        form2_->close();
        close();
    }
}

void TForm1::Table1BeforePost() {
    requireDialogs();
    if (form2_->isVisible()) {
        form2_->hide();
    }
    if (ask(kSaveQuestion) == ModalResult::Cancel) {
        Table1().Cancel();
        throw Abort();
    }
}

}  // namespace veltrop
