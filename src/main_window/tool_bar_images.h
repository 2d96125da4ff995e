#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>

namespace veltrop {

// The main window's image list, 16 × 16 pictures by index, shared by its tool bar
// and its menus.
QList<QPixmap> loadToolBarImages();

// The program's own icon ("MAINICON").
QIcon programIcon();

}  // namespace veltrop
