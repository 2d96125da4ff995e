#pragma once

#include <string>
#include <vector>

namespace veltrop::engine {

// Whether the table file belongs to another user, who can change or replace it.
bool belongsToAnotherUser(const std::string& fileName);

// What a user should know about the table file's owner and mode, one line each: it
// belongs to another user, or it is not protected and other users can read it.
std::vector<std::string> ownerWarnings(const std::string& fileName);

}  // namespace veltrop::engine
