#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "engine/session.h"
#include "store/credential_table.h"
#include "store/table.h"

// Helpers for tests that link the cursor (veltrop_store).
namespace veltrop::testing {

// A record's field values as UTF-8 text, in field order.
using Record = std::vector<std::string>;

// Creates the credential table file holding these records, in this order.
inline void createCredentialTable(engine::Session& session, const std::string& fileName,
                                  const std::vector<Record>& records) {
    session.createTable(fileName, credentials::definition());
    auto file = session.openTable(fileName, engine::OpenMode::ReadWrite);
    for (const Record& record : records) {
        file->insert(record);
    }
}

inline Record currentRecord(const Table& table) {
    Record record;
    for (int index = 0; index < table.fieldCount(); ++index) {
        record.push_back(table.field(index).asString().toStdString());
    }
    return record;
}

// Every record in table order, read through the cursor, which is left at the end.
// Fails when the cursor passes more records than any test table holds, so that a
// cursor that never reaches the end stops the test instead of eating the memory.
inline std::vector<Record> readRecords(Table& table) {
    constexpr std::size_t kMostRecords = 10000;
    std::vector<Record> records;
    for (table.first(); !table.eof(); table.next()) {
        if (records.size() == kMostRecords) {
            throw std::runtime_error("the cursor passed " + std::to_string(kMostRecords) +
                                     " records without reaching the end");
        }
        records.push_back(currentRecord(table));
    }
    return records;
}

// The records as a new session and cursor see them, with these passwords listed.
inline std::vector<Record> recordsInFile(const std::string& fileName,
                                         const std::vector<std::string>& passwords = {}) {
    engine::Session session;
    for (const std::string& password : passwords) {
        session.addPassword(password);
    }
    Table table("Table1", session, fileName, credentials::definition());
    table.open();
    return readRecords(table);
}

// Assigns the values to the cursor's fields, which must be in edit or insert state.
inline void assignRecord(Table& table, const Record& values) {
    for (int index = 0; index < table.fieldCount(); ++index) {
        table.field(index).setAsString(QString::fromStdString(values.at(index)));
    }
}

}  // namespace veltrop::testing
