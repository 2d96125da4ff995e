#pragma once

#include <cstddef>
#include <string_view>

namespace veltrop::engine {

// Bytes that must not outlive their use: a password, a table key, a key's text. They live
// in locked memory between guard pages (never swapped, and a read past their end faults),
// are never copied implicitly, and their room is fixed when they are made: growing would
// leave a copy behind in memory that is no longer ours. Released memory is wiped.
class Secret {
public:
    Secret() = default;
    explicit Secret(std::string_view bytes);
    // size bytes of zero, e.g. for a key to be written into.
    explicit Secret(std::size_t size);
    // Empty, with room for capacity bytes to be appended.
    static Secret withRoom(std::size_t capacity);
    ~Secret() { wipe(); }
    Secret(Secret&& other) noexcept;
    Secret& operator=(Secret&& other) noexcept;
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;

    char* data() { return bytes_; }
    const char* data() const { return bytes_; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }
    std::string_view view() const { return {bytes_ ? bytes_ : "", size_}; }
    // Fails with std::length_error, appending nothing, when the room is too small.
    void append(std::string_view bytes);
    // Shortens to size bytes, wiping the rest; never lengthens.
    void truncate(std::size_t size);
    // Wipes and releases the bytes; the secret is empty after.
    void wipe();

private:
    char* bytes_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// Overwrites memory that held a secret before it is let go.
void wipeMemory(void* data, std::size_t size);

}  // namespace veltrop::engine
