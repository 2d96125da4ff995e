#pragma once

#include <array>

// The tray icon's menu, in order; none of its items is the default one.
namespace veltrop::form1 {

struct TrayMenuItem {
    const char* name;
    const char* caption;
};

inline constexpr std::array kTrayMenuItems{
    TrayMenuItem{"Restore1", "Restore"},
    TrayMenuItem{"Exit1", "Exit"},
};

}  // namespace veltrop::form1
