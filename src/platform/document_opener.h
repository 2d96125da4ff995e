#pragma once

#include <QString>

namespace veltrop {

// Hands a document name (a web address, "mailto:", a bare host name) to the desktop,
// which opens it with the user's default program. A bare host name opens as a web
// address. An empty name opens nothing. Whatever the desktop does with it, or fails
// to do, is its own matter: nothing is reported and nothing here changes.
void openDocument(const QString& document);

}  // namespace veltrop
