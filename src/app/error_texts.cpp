#include "app/error_texts.h"

namespace veltrop {

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar('.')) {
        return message + '.';
    }
    return message;
}

QString startupFailureText(const QString& kindName, const QString& moduleName,
                           std::uint32_t codePosition, const QString& message) {
    const QString fullStop = !message.isEmpty() && !message.endsWith('.') ? "." : "";
    return QString("Exception %1 in module %2 at %3.\n%4%5")
        .arg(kindName, moduleName, QString::asprintf("%08X", codePosition), message, fullStop);
}

}  // namespace veltrop
