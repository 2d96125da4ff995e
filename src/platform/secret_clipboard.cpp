#include "platform/secret_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace veltrop {

QMimeData* copySecretText(const QString& text) {
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(QString::fromLatin1(kPasswordManagerHint), QByteArray(kSecretHint));
    // The clipboard takes the data over.
    QGuiApplication::clipboard()->setMimeData(data);
    return data;
}

}  // namespace veltrop
