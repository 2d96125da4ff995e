#pragma once

#include <cstddef>

#include "store/credential_table.h"

namespace veltrop::table_tool {

// The credential table's fields, as exports name them, in their order.
using credentials::fieldNames;
inline constexpr std::size_t kDescriptionField = 0;
inline constexpr std::size_t kUrlField = 1;
inline constexpr std::size_t kNoteField = 4;
// The fields a record is told apart by.
inline constexpr std::size_t kKeyFieldCount = 4;
// The widest a text field may become.
inline constexpr int kWidestField = 255;

}  // namespace veltrop::table_tool
