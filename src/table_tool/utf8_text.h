#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace veltrop::table_tool {

// Well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(std::string_view text);
// Characters (code points) in valid UTF-8 text: what a field's size counts.
std::size_t characterCount(std::string_view text);
// The first count characters of valid UTF-8 text, never splitting one.
std::string_view firstCharacters(std::string_view text, std::size_t count);

}  // namespace veltrop::table_tool
