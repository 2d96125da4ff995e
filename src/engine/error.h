#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/error.h"

namespace veltrop::engine {

enum class ErrorCode : std::uint16_t {
    TableNotFound = 0x2701,
    DirectoryNotFound = 0x2702,
    NotATable = 0x2801,
    TableDamaged = 0x2802,
    WrongStructure = 0x2803,
    InsufficientRights = 0x2901,
    ReadOnly = 0x2902,
    TableLocked = 0x2A01,
    RecordLocked = 0x2A02,
    RecordDeleted = 0x2A03,
    TableInUse = 0x2A04,
    DiskFull = 0x2B01,
    WriteFailed = 0x2B02,
    ReadFailed = 0x2B03,
    TableExists = 0x2B04,
    // A failure of the storage library itself: only the context texts say what happened.
    StorageFailure = 0x2EC4,
    InitFailed = 0x2F01,
};

// One entry of an error's context stack. nativeCode is the storage library's own
// result code when the entry comes from it, 0 otherwise.
struct ErrorContext {
    ErrorCode code;
    int nativeCode = 0;
    std::string text;
};

// The engine's error: a code and a context stack, most general first. Its message
// is composed from both (see error_text.h).
class EngineError : public Error {
public:
    EngineError(ErrorCode code, std::vector<ErrorContext> context);
    const char* kindName() const noexcept override { return "EEngineError"; }
    ErrorCode code() const { return code_; }
    const std::vector<ErrorContext>& context() const { return context_; }

private:
    ErrorCode code_;
    std::vector<ErrorContext> context_;
};

}  // namespace veltrop::engine
