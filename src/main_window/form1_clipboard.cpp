// The bar's context menu: copy an editor's text to the clipboard, or replace it with
// the clipboard's text.
#include <QMenu>

#include "core/guard.h"
#include "main_window/form1.h"
#include "main_window/form1_popup_layout.h"
#include "platform/clipboard_eraser.h"
#include "platform/guarded_connect.h"
#include "platform/program_state.h"
#include "platform/secret_clipboard.h"

namespace veltrop {

namespace {

// What the editor shows, unsaved typing included; the table is not touched.
QString textOf(DBEdit& editor) {
    editor.selectAll();
    return editor.selectedText();
}

}  // namespace

void TForm1::buildPopupMenu() {
    clipboardEraser_ = new ClipboardEraser(programState().settings.clipboardClearSeconds, this);
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("PopupMenu"));
    const auto addSubmenu = [&](const form1::PopupSubmenu& declared) {
        QMenu* submenu = menu->addMenu(toolBarImageList_.at(declared.image),
                                       QString::fromLatin1(declared.caption));
        submenu->setObjectName(QString::fromLatin1(declared.name));
        submenu->menuAction()->setObjectName(QString::fromLatin1(declared.name));
        return submenu;
    };
    QMenu* copy = addSubmenu(form1::kPopUpCopy);
    QMenu* paste = addSubmenu(form1::kPopUpPaste);
    for (const form1::PopupItem& declared : form1::kPopupItems) {
        const auto addItem = [&](QMenu* submenu, const char* name,
                                 form1::PopupItem::Handler handler) {
            QAction* item = submenu->addAction(toolBarImageList_.at(declared.image),
                                               QString::fromLatin1(declared.caption));
            item->setObjectName(QString::fromLatin1(name));
            connectGuarded(item, &QAction::triggered, this, handler);
        };
        addItem(copy, declared.copyName, declared.copy);
        addItem(paste, declared.pasteName, declared.paste);
    }
    coolBar1_->setContextMenu(menu);
}

// As the editor's own paste would, but into an emptied editor, so that the pasted
// text replaces the value instead of joining it. The text stays in the editor until
// the next post, settle or focus change writes it back.
void TForm1::pasteInto(DBEdit& editor) {
    Table1().Edit();
    editor.clear();
    editor.pasteFromClipboard();
}

// Every copy is marked as secret for clipboard managers. A URL stays on the clipboard,
// for it is no secret and goes into a browser; a login name or a password is taken off
// again after a while.
void TForm1::PopUpCopyURLClick() {
    copySecretText(textOf(*DBEdit2()));
}

void TForm1::PopUpCopyLoginIdClick() {
    clipboardEraser_->copy(textOf(*DBEdit3()));
}

void TForm1::PoUpCopyPasswordClick() {
    clipboardEraser_->copy(textOf(*DBEdit4()));
}

void TForm1::PopUpPasteURLClick() {
    pasteInto(*DBEdit2());
}

void TForm1::PopUpPasteLoginIdClick() {
    pasteInto(*DBEdit3());
}

void TForm1::PopUpPastePasswordClick() {
    pasteInto(*DBEdit4());
}

}  // namespace veltrop
