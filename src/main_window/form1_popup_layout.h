#pragma once

#include <array>

#include "main_window/form1.h"

// The bar's context menu: two submenus, each with one item per editor.
namespace veltrop::form1 {

struct PopupSubmenu {
    const char* name;
    const char* caption;
    int image;  // index into the tool bar's image list
};

inline constexpr PopupSubmenu kPopUpCopy{"PopUpCopy", "Copy", 6};
inline constexpr PopupSubmenu kPopUpPaste{"PopUpPaste", "Paste", 7};

struct PopupItem {
    using Handler = void (TForm1::*)();
    const char* copyName;
    const char* pasteName;
    const char* caption;
    int image;
    Handler copy;
    Handler paste;
};

// In menu order.
inline constexpr std::array kPopupItems{
    PopupItem{"PopUpCopyURL", "PopUpPasteURL", "URL", 8, &TForm1::PopUpCopyURLClick,
              &TForm1::PopUpPasteURLClick},
    PopupItem{"PopUpCopyLoginId", "PopUpPasteLoginId", "Login Id", 9,
              &TForm1::PopUpCopyLoginIdClick, &TForm1::PopUpPasteLoginIdClick},
    PopupItem{"PoUpCopyPassword", "PopUpPastePassword", "Password", 10,
              &TForm1::PoUpCopyPasswordClick, &TForm1::PopUpPastePasswordClick},
};

}  // namespace veltrop::form1
