#pragma once

#include <QPoint>
#include <QRect>
#include <array>

#include "platform/modal_result.h"

// What the confirmation dialog holds and where, in pixels of its design at 120 dots
// per inch; the dialog scales them to the screen when it is created.
namespace veltrop::form3 {

inline constexpr const char* kCaption = "Confirm";
inline constexpr int kDesignDpi = 120;
inline constexpr int kFontPixels = 14;
inline constexpr QSize kClientSize{223, 74};
// Every caller moves the dialog before showing it.
inline constexpr QPoint kPosition{329, 169};

struct Button {
    const char* name;
    const char* caption;
    const char* image;  // a resource
    QRect geometry;
    int result;  // the modal result a click gives
};

// In keyboard order; the first is the default button, the last the cancel button.
inline constexpr std::array kButtons{
    Button{"BitBtn1", "OK", ":/dialogs/ok.xpm", {10, 20, 92, 30}, ModalResult::Ok},
    Button{"BitBtn2", "Cancel", ":/dialogs/cancel.xpm", {118, 20, 92, 30}, ModalResult::Cancel},
};

}  // namespace veltrop::form3
