#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/secret.h"

namespace veltrop::engine {

// A protected table's key is derived from its password with Argon2id, salted with the
// 16 bytes the storage library keeps at the start of every encrypted file. The cost is
// fixed here so that every program on the table derives the same key.
inline constexpr std::size_t kSaltSize = 16;
inline constexpr std::size_t kTableKeySize = 32;
inline constexpr std::size_t kKeyDerivationMemory = std::size_t{256} << 20;
// Two passes over 256 MiB take about half a second here: memory is what makes
// guessing expensive on graphics cards, so it goes before more passes.
inline constexpr unsigned long long kKeyDerivationPasses = 2;

using Salt = std::array<unsigned char, kSaltSize>;

Salt randomSalt();
// The salt at the start of a protected file; nothing when the file is shorter.
std::optional<Salt> readSalt(const std::string& fileName);

// Fails with StorageFailure when the memory for the derivation cannot be had.
Secret deriveTableKey(std::string_view password, const Salt& salt);

// The key as the storage library takes it: "x'<key in hex>'", or with the salt after the
// key for a file that is new.
Secret rawKeyText(const Secret& key, const Salt* newFileSalt = nullptr);

}  // namespace veltrop::engine
