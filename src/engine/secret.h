#pragma once

#include <string>
#include <string_view>

namespace veltrop::engine {

// Bytes that must not outlive their use: a password, a table key, a key's text. They are
// wiped when the object goes, and never copied implicitly.
class Secret {
public:
    Secret() = default;
    explicit Secret(std::string_view bytes) : bytes_(bytes) {}
    explicit Secret(std::size_t size) : bytes_(size, '\0') {}
    ~Secret() { wipe(); }
    Secret(Secret&& other) noexcept;
    Secret& operator=(Secret&& other) noexcept;
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;

    char* data() { return bytes_.data(); }
    const char* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    std::string_view view() const { return bytes_; }
    void append(std::string_view bytes) { bytes_.append(bytes); }
    void wipe();

private:
    std::string bytes_;
};

// Overwrites a string's bytes before it is dropped.
void wipeString(std::string& text);

}  // namespace veltrop::engine
