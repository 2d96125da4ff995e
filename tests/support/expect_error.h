#pragma once

#include <gmock/gmock.h>

#include <ostream>
#include <string>

#include "core/error.h"
#include "engine/error.h"

namespace veltrop::engine {

// Failure messages show a code as its number.
inline void PrintTo(ErrorCode code, std::ostream* out) {
    *out << "0x" << std::hex << static_cast<int>(code) << std::dec;
}

}  // namespace veltrop::engine

namespace veltrop::testing {

// What an operation that must fail throws, for EXPECT_THAT(operation, ...):
// an engine error with this code, which says what went wrong.
inline auto ThrowsEngineError(engine::ErrorCode code) {
    return ::testing::Throws<engine::EngineError>(::testing::AllOf(
        ::testing::Property("code", &engine::EngineError::code, code),
        ::testing::Property("message", &Error::message, ::testing::Not(::testing::IsEmpty()))));
}

// An error of that kind with exactly this message.
template <typename Kind>
auto ThrowsErrorWithMessage(const std::string& message) {
    return ::testing::Throws<Kind>(::testing::Property("message", &Error::message, message));
}

}  // namespace veltrop::testing
