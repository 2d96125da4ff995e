#include "engine/schema.h"

#include <cctype>

#include "engine/connection.h"

namespace veltrop::engine::schema {

namespace {

std::string declaredType(const FieldDefinition& field) {
    // TEXT affinity for both kinds, so nothing stored is ever converted to a number.
    const char* kind = field.kind == FieldKind::Memo ? "TEXT" : "VARCHAR";
    return std::string(kind) + "(" + std::to_string(field.size) + ")";
}

// Reads "VARCHAR(n)" or "TEXT(n)", case and blanks as SQLite keeps them.
bool parseType(const std::string& type, FieldDefinition& field) {
    const auto open = type.find('(');
    const auto close = type.find(')');
    if (open == std::string::npos || close != type.size() - 1 || close < open + 2) {
        return false;
    }
    std::string kind;
    for (char c : type.substr(0, open)) {
        if (c != ' ') {
            kind += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    const std::string digits = type.substr(open + 1, close - open - 1);
    if ((kind != "VARCHAR" && kind != "TEXT") || digits.size() > 6 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    field.kind = kind == "TEXT" ? FieldKind::Memo : FieldKind::Text;
    field.size = std::stoi(digits);
    return true;
}

[[noreturn]] void wrongStructure(const Connection& connection, const std::string& detail) {
    throw EngineError(ErrorCode::WrongStructure, connection.fileName(), {detail});
}

std::vector<IndexDefinition> readIndexes(Connection& connection) {
    std::vector<IndexDefinition> indexes;
    {
        auto list = connection.query("PRAGMA index_list(" + quoted(kTableName) + ")");
        while (list.step()) {
            if (list.text(3) == "c") {  // made by CREATE INDEX, not an automatic one
                indexes.push_back({list.text(1), {}, false, list.integer(2) != 0});
            }
        }
    }
    for (auto& index : indexes) {
        auto info = connection.query("PRAGMA index_xinfo(" + quoted(index.name) + ")");
        while (info.step()) {
            if (info.integer(5) != 0 && index.field.empty()) {  // the first key column
                index.field = info.text(2);
                index.caseInsensitive = info.text(4) == "NOCASE";
            }
        }
    }
    return indexes;
}

}  // namespace

std::string quoted(const std::string& identifier) {
    std::string out = "\"";
    for (char c : identifier) {
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return out + "\"";
}

std::string columnList(const TableDefinition& definition) {
    std::string columns = kRecordNumber;
    for (const auto& field : definition.fields) {
        columns += ", " + quoted(field.name);
    }
    return columns;
}

std::vector<std::string> createStatements(const TableDefinition& definition,
                                          const std::string& database) {
    const std::string prefix = database.empty() ? "" : quoted(database) + ".";
    std::string table = "CREATE TABLE " + prefix + kTableName + " (" + kRecordNumber +
                        " INTEGER PRIMARY KEY AUTOINCREMENT";
    for (const auto& field : definition.fields) {
        table += ", " + quoted(field.name) + " " + declaredType(field);
    }
    std::vector<std::string> statements{table + ")"};
    for (const auto& index : definition.indexes) {
        statements.push_back(std::string(index.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") +
                             prefix + quoted(index.name) + " ON " + kTableName + " (" +
                             quoted(index.field) +
                             (index.caseInsensitive ? " COLLATE NOCASE" : "") + ")");
    }
    return statements;
}

TableDefinition read(Connection& connection) {
    {
        auto exists = connection.query(
            "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?1");
        exists.bind(1, kTableName);
        exists.step();
        if (exists.integer(0) == 0) {
            throw EngineError(ErrorCode::NotATable, connection.fileName());
        }
    }
    TableDefinition definition;
    bool numbered = false;
    {
        auto columns = connection.query("PRAGMA table_info(" + quoted(kTableName) + ")");
        while (columns.step()) {
            const std::string name = columns.text(1);
            const std::string type = columns.text(2);
            if (columns.integer(0) == 0) {
                numbered = name == kRecordNumber && columns.integer(5) == 1;
                continue;
            }
            FieldDefinition field{name, FieldKind::Text, 0};
            if (!parseType(type, field)) {
                wrongStructure(connection, "Field: " + name + " " + type);
            }
            definition.fields.push_back(std::move(field));
        }
    }
    if (!numbered || definition.fields.empty()) {
        wrongStructure(connection, "The table has no record numbers or no fields");
    }
    definition.indexes = readIndexes(connection);
    return definition;
}

}  // namespace veltrop::engine::schema
