#pragma once

#include <array>

#include "store/credential_table.h"

// What the main window holds and where: its settings, the tool bar's items, the
// editors and the bands of its bar. TForm1 builds itself from these tables.
namespace veltrop::form1 {

struct WindowSettings {
    const char* caption;
    int left;
    int top;
    int outerWidth;  // frame included
    int outerHeight;
    int fontPixels;
};
inline constexpr WindowSettings kWindow{"Veltrop", 200, 116, 715, 129, 11};

inline constexpr int kImageSize = 16;
inline constexpr int kButtonWidth = 47;
inline constexpr int kButtonHeight = 36;
inline constexpr int kToolBarBorder = 1;
inline constexpr int kSeparatorWidth = 8;

enum class ItemKind { Button, Separator, Banner };

struct ToolItem {
    const char* name;
    ItemKind kind;
    const char* caption;
    int image;  // index into the tool bar's image list; -1 for none
};

// Left to right.
inline constexpr std::array kToolItems{
    ToolItem{"ToolButtonLookUp", ItemKind::Button, "Find", 5},
    ToolItem{"ToolButtonAdd", ItemKind::Button, "Add", 0},
    ToolItem{"ToolButtonSave", ItemKind::Button, "Save", 11},
    ToolItem{"ToolButtonDel", ItemKind::Button, "Delete", 1},
    ToolItem{"ToolButton1", ItemKind::Separator, "", -1},
    ToolItem{"Label1", ItemKind::Banner, "", -1},
    ToolItem{"ToolButton3", ItemKind::Separator, "", -1},
    ToolItem{"ToolButtonInternet", ItemKind::Button, "Web", 2},
    ToolItem{"ToolButtonEmail", ItemKind::Button, "Email", 4},
    ToolItem{"ToolButtonMinimize", ItemKind::Button, "Minimize", 12},
    ToolItem{"ToolButton2", ItemKind::Separator, "", -1},
    ToolItem{"ToolButtonExit", ItemKind::Button, "Exit", 3},
};

struct Banner {
    const char* text;
    const char* hint;
    int width;
    int height;
    int fontPixels;
    unsigned colour;  // 0xRRGGBB
};
inline constexpr Banner kBanner{
    " Veltrop credential keeper ", "Double Click for Internet Home Page", 286, 36, 15, 0x800000};

enum class EditorKind { Line, Memo };

struct Editor {
    const char* name;
    EditorKind kind;
    const char* field;
    int height;  // the width follows from the editor's band
};

// In keyboard order, which differs from the order of the bands.
inline constexpr std::array kEditors{
    Editor{"DBEdit1", EditorKind::Line, credentials::kDescription, 25},
    Editor{"DBEdit2", EditorKind::Line, credentials::kUrl, 25},
    Editor{"DBEdit3", EditorKind::Line, credentials::kLoginId, 25},
    Editor{"DBEdit4", EditorKind::Line, credentials::kPassword, 25},
    Editor{"DBMemo1", EditorKind::Memo, credentials::kNote, 25},
};

struct Band {
    const char* control;
    const char* caption;  // trailing blank included
    bool newRow;
    int width;
    int minHeight;
};

inline constexpr std::array kBands{
    Band{"ToolBar1", "", false, 703, 44},        Band{"DBEdit1", "Description ", true, 322, 0},
    Band{"DBEdit3", "Login Id ", false, 210, 0}, Band{"DBEdit4", "Password ", false, 167, 0},
    Band{"DBEdit2", "URL ", true, 325, 0},       Band{"DBMemo1", "Notes ", false, 376, 0},
};

// The tool bar's image list, by index: Add, Delete, Web, Exit, Email, Find, Copy,
// Paste, URL, Login Id, Password, Save, Minimize.
inline constexpr std::array kToolBarImages{
    ":/main_window/add.xpm",      ":/main_window/delete.xpm",   ":/main_window/web.xpm",
    ":/main_window/exit.xpm",     ":/main_window/email.xpm",    ":/main_window/find.xpm",
    ":/main_window/copy.xpm",     ":/main_window/paste.xpm",    ":/main_window/url.xpm",
    ":/main_window/login_id.xpm", ":/main_window/password.xpm", ":/main_window/save.xpm",
    ":/main_window/minimize.xpm",
};
// The program's icon at the sizes a window manager, a taskbar and a tray use; the
// same picture as the icon installed for the desktop's menu.
inline constexpr std::array kProgramIcon{
    ":/main_window/mainicon/16.png", ":/main_window/mainicon/24.png",
    ":/main_window/mainicon/32.png", ":/main_window/mainicon/48.png",
    ":/main_window/mainicon/64.png",
};

}  // namespace veltrop::form1
