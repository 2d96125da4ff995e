#pragma once

#include <QString>
#include <functional>

namespace veltrop {

// A message box with the stop icon and one OK button; returns when it is closed.
// Tests put a recorder in its place.
using StopBox = std::function<void(const QString& caption, const QString& text)>;

void showStopBox(const QString& caption, const QString& text);
// The same with the information icon, for what stops nothing.
void showNoticeBox(const QString& caption, const QString& text);

}  // namespace veltrop
