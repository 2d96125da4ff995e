#pragma once

#include <string>
#include <vector>

#include "engine/error.h"

namespace veltrop::engine {

// The engine's own message for a code ("" for codes whose context says it all).
std::string codeMessage(ErrorCode code);

// The user-facing text of an engine error: the code's message (none for storage
// failures, whose details say it all), "Table: " and the file's name, then the details,
// one line each, trimmed, without repeats. Falls back to "Engine error $XXXX" when
// nothing is left.
std::string composeErrorText(ErrorCode code, const std::string& fileName,
                             const std::vector<std::string>& details);

}  // namespace veltrop::engine
