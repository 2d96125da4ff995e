#pragma once

#include <array>
#include <cstddef>

#include "store/credential_table.h"

namespace veltrop::table_tool {

// The credential table's fields in their order, as exports name them.
inline constexpr std::size_t kFieldCount = 5;
inline constexpr std::array<const char*, kFieldCount> kFieldNames{
    credentials::kDescription, credentials::kUrl, credentials::kLoginId, credentials::kPassword,
    credentials::kNote};
inline constexpr std::size_t kDescriptionField = 0;
inline constexpr std::size_t kUrlField = 1;
inline constexpr std::size_t kNoteField = 4;
// The fields a record is told apart by.
inline constexpr std::size_t kKeyFieldCount = 4;
// The widest a text field may become.
inline constexpr int kWidestField = 255;

}  // namespace veltrop::table_tool
