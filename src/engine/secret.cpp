#include "engine/secret.h"

#include <sodium.h>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

namespace veltrop::engine {

namespace {

// Guarded, locked memory; sodium_free wipes it before unmapping.
char* lockedBytes(std::size_t capacity) {
    if (capacity == 0) {
        return nullptr;
    }
    if (sodium_init() < 0) {
        throw std::bad_alloc();
    }
    auto* bytes = static_cast<char*>(sodium_malloc(capacity));
    if (!bytes) {
        throw std::bad_alloc();
    }
    return bytes;
}

}  // namespace

Secret::Secret(std::string_view bytes) : Secret(withRoom(bytes.size())) {
    append(bytes);
}

Secret::Secret(std::size_t size) : Secret(withRoom(size)) {
    if (size > 0) {
        sodium_memzero(bytes_, size);
    }
    size_ = size;
}

Secret Secret::withRoom(std::size_t capacity) {
    Secret secret;
    secret.bytes_ = lockedBytes(capacity);
    secret.capacity_ = capacity;
    return secret;
}

Secret::Secret(Secret&& other) noexcept
    : bytes_(std::exchange(other.bytes_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

Secret& Secret::operator=(Secret&& other) noexcept {
    if (this != &other) {
        wipe();
        bytes_ = std::exchange(other.bytes_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

void Secret::append(std::string_view bytes) {
    if (bytes.size() > capacity_ - size_) {
        throw std::length_error("a secret has no room to grow");
    }
    if (!bytes.empty()) {
        std::copy(bytes.begin(), bytes.end(), bytes_ + size_);
        size_ += bytes.size();
    }
}

void Secret::truncate(std::size_t size) {
    if (size < size_) {
        sodium_memzero(bytes_ + size, size_ - size);
        size_ = size;
    }
}

void Secret::wipe() {
    if (bytes_) {
        sodium_free(bytes_);
    }
    bytes_ = nullptr;
    size_ = 0;
    capacity_ = 0;
}

void wipeMemory(void* data, std::size_t size) {
    sodium_memzero(data, size);
}

}  // namespace veltrop::engine
