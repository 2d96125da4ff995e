#pragma once

#include <QRect>

class QWidget;

namespace veltrop {

// Places a top-level window so that its outer edge, frame included, has the given
// geometry. The frame's size is known only once the window manager has framed the
// window: until then the inner size is the outer one, and as soon as a frame shows
// up the inner size gives way to it, once.
void setOuterGeometry(QWidget& window, const QRect& outer);

}  // namespace veltrop
