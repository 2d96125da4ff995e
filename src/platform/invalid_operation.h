#pragma once

#include <string>

#include "core/error.h"

namespace veltrop {

// A window operation that the window's current state does not allow.
class InvalidOperation : public Error {
public:
    explicit InvalidOperation(std::string message) : Error(std::move(message)) {}
    const char* kindName() const noexcept override { return "EInvalidOperation"; }
};

}  // namespace veltrop
