#pragma once

namespace veltrop {

// Whether the session's notification area is a StatusNotifier host (reached over
// D-Bus), which Qt's tray icon then uses instead of an XEmbed tray.
bool statusNotifierHostRunning();

}  // namespace veltrop
