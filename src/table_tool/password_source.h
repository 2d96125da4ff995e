#pragma once

#include <string>

namespace veltrop::table_tool {

// Where passwords come from: the terminal, asked without echo (a new password twice),
// or standard input, one per line, the current password before the new one. Never
// the command line or the environment.
class PasswordSource {
public:
    explicit PasswordSource(bool fromStandardInput) : fromStandardInput_(fromStandardInput) {}

    // The caller wipes what it gets (engine::wipeString) once it is used.
    std::string current(const std::string& fileName);
    std::string fresh(const std::string& fileName);

private:
    std::string ask(const std::string& prompt);

    bool fromStandardInput_;
};

}  // namespace veltrop::table_tool
