#pragma once

#include <string>
#include <vector>

namespace veltrop::engine {

enum class FieldKind { Text, Memo };

struct FieldDefinition {
    std::string name;
    FieldKind kind = FieldKind::Text;
    int size = 0;  // characters (Unicode code points); declared only, for memos

    bool operator==(const FieldDefinition&) const = default;
};

struct IndexDefinition {
    std::string name;
    std::string field;
    bool caseInsensitive = false;
    bool unique = false;

    bool operator==(const IndexDefinition&) const = default;
};

struct TableDefinition {
    std::vector<FieldDefinition> fields;
    std::vector<IndexDefinition> indexes;

    bool operator==(const TableDefinition&) const = default;
};

}  // namespace veltrop::engine
