#pragma once

#include <string>

#include "core/error.h"

namespace veltrop {

// The silent abort: stops a command without any message.
class Abort : public Error {
public:
    Abort() : Error("Operation aborted") {}
    const char* kindName() const noexcept override { return "EAbort"; }
};

// An error of a cursor's own checks, worded "<component>: <message>".
class DatabaseError : public Error {
public:
    DatabaseError(const std::string& componentName, const std::string& message)
        : Error(componentName + ": " + message) {}
    const char* kindName() const noexcept override { return "EDatabaseError"; }
};

namespace messages {
inline constexpr const char* kClosedDataset = "Cannot perform this operation on a closed dataset";
inline constexpr const char* kEmptyDataset = "Cannot perform this operation on an empty dataset";
inline constexpr const char* kReadOnlyDataset = "Cannot modify a read-only dataset";
inline constexpr const char* kNotEditing = "Dataset not in edit or insert mode";
}  // namespace messages

}  // namespace veltrop
