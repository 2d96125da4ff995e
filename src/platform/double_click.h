#pragma once

#include <functional>

class QWidget;

namespace veltrop {

// Runs the action, guarded, on every left double-click on the widget, for widgets
// such as labels that have no double-click signal of their own.
void onDoubleClick(QWidget& widget, std::function<void()> action);

}  // namespace veltrop
