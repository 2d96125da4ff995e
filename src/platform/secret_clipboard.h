#pragma once

#include <QString>

class QMimeData;

namespace veltrop {

// The mark that asks clipboard managers not to keep the text in their history.
inline constexpr const char* kPasswordManagerHint = "x-kde-passwordManagerHint";
inline constexpr const char* kSecretHint = "secret";

// Puts the text on the clipboard as plain text, marked as a secret. Returns the data
// the clipboard now owns, which it deletes when something else replaces it.
QMimeData* copySecretText(const QString& text);

}  // namespace veltrop
