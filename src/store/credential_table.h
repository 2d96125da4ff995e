#pragma once

#include "engine/table_definition.h"

namespace veltrop::credentials {

// The table file every cursor of the program opens, in the working directory.
inline constexpr const char* kFileName = "Veltrop.DB";

inline constexpr const char* kDescription = "DESCRIPTION";
inline constexpr const char* kUrl = "URL";
inline constexpr const char* kLoginId = "LOGIN ID";
inline constexpr const char* kPassword = "PASSWORD";
inline constexpr const char* kNote = "NOTE";

// The four text fields by which a chosen record is found again.
inline constexpr const char* kLocateKey = "DESCRIPTION;URL;LOGIN ID;PASSWORD";

// The credential table's fields and declared index, in this order.
const engine::TableDefinition& definition();
// Its fields' names, in that order.
const std::vector<std::string>& fieldNames();

}  // namespace veltrop::credentials
