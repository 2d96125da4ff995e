#include "engine/error.h"

#include "engine/error_text.h"

namespace veltrop::engine {

EngineError::EngineError(ErrorCode code, std::string fileName, std::vector<std::string> details,
                         int nativeCode)
    : Error(composeErrorText(code, fileName, details)),
      code_(code),
      fileName_(std::move(fileName)),
      details_(std::move(details)),
      nativeCode_(nativeCode) {}

}  // namespace veltrop::engine
