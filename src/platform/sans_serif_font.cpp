#include "platform/sans_serif_font.h"

namespace veltrop {

QFont sansSerifFont(int pixels) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

}  // namespace veltrop
