#pragma once

#include <QRect>
#include <array>

#include "dialogs/record_model.h"
#include "store/credential_table.h"

// What the selection window holds and where.
namespace veltrop::form2 {

inline constexpr const char* kCaption = "Select";
inline constexpr QSize kClientSize{506, 129};
inline constexpr int kFontPixels = 11;

inline constexpr const char* kGroupBoxCaption = "Select Record to View/Modify";
inline constexpr QRect kGroupBox1{0, 0, 505, 129};
// Inside the group box.
inline constexpr QRect kDBGrid1{8, 16, 489, 105};

// The grid's fields, in this order; the login and password are not drawn but are
// part of every choice.
inline constexpr std::array kColumns{
    GridColumn{credentials::kDescription, true, 0},
    GridColumn{credentials::kUrl, true, 360},
    GridColumn{credentials::kLoginId, false, 0},
    GridColumn{credentials::kPassword, false, 0},
};

}  // namespace veltrop::form2
