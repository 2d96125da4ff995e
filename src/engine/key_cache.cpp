#include "engine/key_cache.h"

#include <algorithm>

namespace veltrop::engine {

KeyCache::Entry* KeyCache::find(std::string_view password, const Salt& salt) {
    for (Entry& entry : keys_) {
        if (entry.salt == salt && entry.password.view() == password) {
            return &entry;
        }
    }
    return nullptr;
}

const Secret& KeyCache::keyFor(std::string_view password, const Salt& salt) {
    if (Entry* known = find(password, salt)) {
        return known->key;
    }
    remember(password, salt, deriveTableKey(password, salt));
    return keys_.back().key;
}

void KeyCache::remember(std::string_view password, const Salt& salt, Secret key) {
    if (Entry* known = find(password, salt)) {
        known->key = std::move(key);
        return;
    }
    keys_.push_back({Secret(password), salt, std::move(key)});
}

void KeyCache::forget(std::string_view password) {
    keys_.erase(
        std::remove_if(keys_.begin(), keys_.end(),
                       [&](const Entry& entry) { return entry.password.view() == password; }),
        keys_.end());
}

}  // namespace veltrop::engine
