#include "engine/secret.h"

#include <sodium.h>

namespace veltrop::engine {

Secret::Secret(Secret&& other) noexcept : bytes_(std::move(other.bytes_)) {
    other.wipe();
}

Secret& Secret::operator=(Secret&& other) noexcept {
    if (this != &other) {
        wipe();
        bytes_ = std::move(other.bytes_);
        other.wipe();
    }
    return *this;
}

void Secret::wipe() {
    wipeString(bytes_);
}

void wipeString(std::string& text) {
    // The whole capacity: a shorter text may have left older bytes behind its end.
    text.resize(text.capacity());
    sodium_memzero(text.data(), text.size());
    text.clear();
}

}  // namespace veltrop::engine
