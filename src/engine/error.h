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

// The engine's error, built only here: its code, the table file it is about ("" when
// none), what happened beyond the code (one line each) and, when that comes from the
// storage library or the system, their own result code (0: the engine's own finding,
// -1: theirs without a code). Its message is composed from these (see error_text.h).
class EngineError : public Error {
public:
    EngineError(ErrorCode code, std::string fileName, std::vector<std::string> details = {},
                int nativeCode = 0);
    const char* kindName() const noexcept override { return "EEngineError"; }
    ErrorCode code() const { return code_; }
    const std::string& fileName() const { return fileName_; }
    const std::vector<std::string>& details() const { return details_; }
    int nativeCode() const { return nativeCode_; }

private:
    ErrorCode code_;
    std::string fileName_;
    std::vector<std::string> details_;
    int nativeCode_;
};

}  // namespace veltrop::engine
