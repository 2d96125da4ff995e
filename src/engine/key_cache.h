#pragma once

#include <string_view>
#include <vector>

#include "engine/secret.h"
#include "engine/table_key.h"

namespace veltrop::engine {

// Table keys already derived, by password and salt: a key costs a deliberate half
// second, so each is derived once and then serves every cursor of the session.
class KeyCache {
public:
    const Secret& keyFor(std::string_view password, const Salt& salt);
    void remember(std::string_view password, const Salt& salt, Secret key);
    void forget(std::string_view password);
    void clear() { keys_.clear(); }

private:
    struct Entry {
        Secret password;
        Salt salt;
        Secret key;
    };
    Entry* find(std::string_view password, const Salt& salt);

    std::vector<Entry> keys_;
};

}  // namespace veltrop::engine
