#include "engine/error.h"

#include "engine/error_text.h"

namespace veltrop::engine {

EngineError::EngineError(ErrorCode code, std::vector<ErrorContext> context)
    : Error(composeErrorText(code, context)), code_(code), context_(std::move(context)) {}

}  // namespace veltrop::engine
