// Handing the current URL, a new e-mail and our home page to the desktop.
#include "core/guard.h"
#include "main_window/form1.h"
#include "platform/document_opener.h"
#include "platform/double_click.h"
#include "platform/guarded_connect.h"

namespace veltrop {

namespace {

// Our home page, a bare host name, as the banner promises.
constexpr const char* kHomePage = "veltrop.example.org";
constexpr const char* kNewEmail = "mailto:";

}  // namespace

void TForm1::connectLaunching() {
    connectGuarded(ToolButtonInternet(), &QToolButton::clicked, this,
                   &TForm1::ToolButtonInternetClick);
    connectGuarded(ToolButtonEmail(), &QToolButton::clicked, this, &TForm1::ToolButtonEmailClick);
    onDoubleClick(*Label1(), [this] { Label1Click(); });
}

// What the editor shows, unsaved typing included; the table is not consulted.
void TForm1::ToolButtonInternetClick() {
    openDocument(DBEdit2()->text());
}

void TForm1::ToolButtonEmailClick() {
    openDocument(QString::fromLatin1(kNewEmail));
}

void TForm1::Label1Click() {
    openDocument(QString::fromLatin1(kHomePage));
}

}  // namespace veltrop
