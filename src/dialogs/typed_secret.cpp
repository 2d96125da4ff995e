#include "dialogs/typed_secret.h"

#include <QLineEdit>
#include <QStringEncoder>

namespace veltrop {

engine::Secret takeTypedSecret(QLineEdit& editor) {
    QString text = editor.text();
    // setText, unlike clear, also drops the undo history that holds every typed character.
    editor.setText(QString());
    QStringEncoder toUtf8(QStringEncoder::Utf8);
    engine::Secret typed(static_cast<std::size_t>(toUtf8.requiredSpace(text.size())));
    char* end = toUtf8.appendToBuffer(typed.data(), text);
    typed.truncate(static_cast<std::size_t>(end - typed.data()));
    // The editor no longer shares the text, so this wipes the one buffer instead of a copy.
    engine::wipeMemory(text.data(), static_cast<std::size_t>(text.size()) * sizeof(QChar));
    return typed;
}

}  // namespace veltrop
