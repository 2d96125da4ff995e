#pragma once

class QWidget;

namespace veltrop {

// Makes an X11 window that is about to be mapped appear in its normal state. A
// window once minimised by the program keeps "start iconic" in its window-manager
// hints, so showing it again after hiding would only bring it back minimised.
// Does nothing on other platforms and for windows without a native window yet.
void mapInNormalState(QWidget& window);

}  // namespace veltrop
