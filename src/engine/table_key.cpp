#include "engine/table_key.h"

#include <fcntl.h>
#include <sodium.h>
#include <unistd.h>

#include "engine/error.h"

namespace veltrop::engine {

namespace {

void startSodium() {
    if (sodium_init() < 0) {
        throw EngineError(ErrorCode::StorageFailure, {}, {"The cryptography library failed"}, -1);
    }
}

// Digit by digit into the text's own room: no other buffer ever holds the key's hex.
void appendHex(Secret& text, const unsigned char* bytes, std::size_t size) {
    static constexpr std::string_view kDigits = "0123456789abcdef";
    for (std::size_t i = 0; i < size; ++i) {
        text.append(kDigits.substr(bytes[i] >> 4, 1));
        text.append(kDigits.substr(bytes[i] & 0x0f, 1));
    }
}

}  // namespace

Salt randomSalt() {
    startSodium();
    Salt salt;
    randombytes_buf(salt.data(), salt.size());
    return salt;
}

std::optional<Salt> readSalt(const std::string& fileName) {
    const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    Salt salt;
    const ssize_t got = pread(fd, salt.data(), salt.size(), 0);
    close(fd);
    if (got != static_cast<ssize_t>(salt.size())) {
        return std::nullopt;
    }
    return salt;
}

Secret deriveTableKey(std::string_view password, const Salt& salt) {
    startSodium();
    Secret key(kTableKeySize);
    if (crypto_pwhash(reinterpret_cast<unsigned char*>(key.data()), key.size(), password.data(),
                      password.size(), salt.data(), kKeyDerivationPasses, kKeyDerivationMemory,
                      crypto_pwhash_ALG_ARGON2ID13) != 0) {
        throw EngineError(ErrorCode::StorageFailure, {},
                          {"Not enough memory to derive the table key from its password"}, -1);
    }
    return key;
}

Secret rawKeyText(const Secret& key, const Salt* newFileSalt) {
    const std::size_t hexDigits = 2 * (key.size() + (newFileSalt ? newFileSalt->size() : 0));
    Secret text = Secret::withRoom(hexDigits + 3);
    text.append("x'");
    appendHex(text, reinterpret_cast<const unsigned char*>(key.data()), key.size());
    if (newFileSalt) {
        appendHex(text, newFileSalt->data(), newFileSalt->size());
    }
    text.append("'");
    return text;
}

}  // namespace veltrop::engine
