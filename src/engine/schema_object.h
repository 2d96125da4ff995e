#pragma once

#include <optional>
#include <string>

namespace veltrop::engine {

// One object of a table file's schema, as the storage library lists it.
struct SchemaObject {
    std::string type;  // "table", "index", "trigger", "view"
    std::string name;
    std::string table;               // the table it belongs to
    std::optional<std::string> sql;  // the statement that made it; none for some
};

}  // namespace veltrop::engine
