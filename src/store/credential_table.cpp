#include "store/credential_table.h"

namespace veltrop::credentials {

const engine::TableDefinition& definition() {
    using engine::FieldKind;
    static const engine::TableDefinition table{
        .fields =
            {
                {kDescription, FieldKind::Text, 30},
                {kUrl, FieldKind::Text, 55},
                {kLoginId, FieldKind::Text, 20},
                {kPassword, FieldKind::Text, 20},
                {kNote, FieldKind::Memo, 240},
            },
        .indexes = {{"Description_Non_Unique", kDescription, true, false}},
    };
    return table;
}

const std::vector<std::string>& fieldNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const auto& field : definition().fields) {
            list.push_back(field.name);
        }
        return list;
    }();
    return names;
}

}  // namespace veltrop::credentials
