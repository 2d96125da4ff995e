#pragma once

#include <string>
#include <vector>

#include "engine/error.h"

namespace veltrop::engine {

// The engine's own message for a code ("" for codes whose context says it all).
std::string codeMessage(ErrorCode code);

// The user-facing text of an engine error: the code's message, then one line per
// context entry (its code's message unless it is native, and its text), trimmed,
// without repeats. Falls back to "Engine error $XXXX" when nothing is left.
std::string composeErrorText(ErrorCode code, const std::vector<ErrorContext>& context);

}  // namespace veltrop::engine
