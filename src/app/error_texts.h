#pragma once

#include <QString>
#include <cstdint>

namespace veltrop {

// The text of the error box for a handler's error: a full stop is added when the
// message is not empty and its last character sorts after ".".
QString errorBoxText(const QString& message);

// The text of the box that ends a failed start-up.
QString startupFailureText(const QString& kindName, const QString& moduleName,
                           std::uint32_t codePosition, const QString& message);

}  // namespace veltrop
