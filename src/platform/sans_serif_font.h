#pragma once

#include <QFont>

namespace veltrop {

// The desktop's sans-serif font at a character height in pixels: what the windows
// were designed with.
QFont sansSerifFont(int pixels);

}  // namespace veltrop
