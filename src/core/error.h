#pragma once

#include <exception>
#include <string>

namespace veltrop {

// Every failure the program reports is one of these; kindName() is what the
// start-up failure box names as the error's kind.
class Error : public std::exception {
public:
    explicit Error(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& message() const { return message_; }
    virtual const char* kindName() const noexcept = 0;

private:
    std::string message_;
};

}  // namespace veltrop
