#include "platform/document_opener.h"

#include <QDesktopServices>
#include <QUrl>

namespace veltrop {

void openDocument(const QString& document) {
    if (document.trimmed().isEmpty()) {
        return;
    }
    // xdg-open takes a name without a scheme for a file; the user meant a web site.
    QDesktopServices::openUrl(QUrl::fromUserInput(document));
}

}  // namespace veltrop
