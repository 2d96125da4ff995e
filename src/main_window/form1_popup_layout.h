#pragma once

#include <array>

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
    const char* copyName;
    const char* pasteName;
    const char* caption;
    int image;
    const char* editor;
};

// In menu order.
inline constexpr std::array kPopupItems{
    PopupItem{"PopUpCopyURL", "PopUpPasteURL", "URL", 8, "DBEdit2"},
    PopupItem{"PopUpCopyLoginId", "PopUpPasteLoginId", "Login Id", 9, "DBEdit3"},
    PopupItem{"PoUpCopyPassword", "PopUpPastePassword", "Password", 10, "DBEdit4"},
};

}  // namespace veltrop::form1
