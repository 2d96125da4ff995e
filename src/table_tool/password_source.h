#pragma once

#include <string>

#include "engine/secret.h"

namespace veltrop::table_tool {

// Where passwords come from: the terminal, asked without echo (a new password twice),
// or standard input, one per line, the current password before the new one. Never
// the command line or the environment.
class PasswordSource {
public:
    explicit PasswordSource(bool fromStandardInput) : fromStandardInput_(fromStandardInput) {}

    engine::Secret current(const std::string& fileName);
    engine::Secret fresh(const std::string& fileName);

private:
    engine::Secret ask(const std::string& prompt);

    bool fromStandardInput_;
};

}  // namespace veltrop::table_tool
