#pragma once

#include <string>

#include "core/error.h"

namespace veltrop {

// A component given an object of the wrong kind.
class InvalidCast : public Error {
public:
    explicit InvalidCast(std::string message) : Error(std::move(message)) {}
    const char* kindName() const noexcept override { return "EInvalidCast"; }
};

// The system refused a resource, such as a timer.
class OutOfResources : public Error {
public:
    explicit OutOfResources(std::string message) : Error(std::move(message)) {}
    const char* kindName() const noexcept override { return "EOutOfResources"; }
};

}  // namespace veltrop
