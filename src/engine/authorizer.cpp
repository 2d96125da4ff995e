#include "engine/authorizer.h"

#include <sqlite3.h>

#include <cstring>

#include "engine/schema.h"

namespace veltrop::engine {

namespace {

bool is(const char* name, const char* expected) {
    return name && std::strcmp(name, expected) == 0;
}

bool isTableData(const char* table) {
    return is(table, schema::kTableName) || is(table, "sqlite_sequence");
}

bool isSchema(const char* table) {
    return is(table, "sqlite_master") || is(table, "sqlite_temp_master");
}

int decide(void*, int action, const char* first, const char* second, const char*,
           const char* trigger) {
    if (trigger) {
        return SQLITE_DENY;
    }
    switch (action) {
        case SQLITE_READ:
            return isTableData(first) || isSchema(first) ? SQLITE_OK : SQLITE_DENY;
        case SQLITE_INSERT:
        case SQLITE_UPDATE:
            // Creating the table or its index enters it into the schema.
            return isTableData(first) || isSchema(first) ? SQLITE_OK : SQLITE_DENY;
        case SQLITE_DELETE:
            return isTableData(first) ? SQLITE_OK : SQLITE_DENY;
        case SQLITE_CREATE_TABLE:
            return isTableData(first) ? SQLITE_OK : SQLITE_DENY;
        case SQLITE_CREATE_INDEX:
            return is(second, schema::kTableName) ? SQLITE_OK : SQLITE_DENY;
        case SQLITE_REINDEX:  // how the storage library fills a new index
            return SQLITE_OK;
        case SQLITE_PRAGMA:
            return is(first, "writable_schema") ? SQLITE_DENY : SQLITE_OK;
        case SQLITE_SELECT:
        case SQLITE_FUNCTION:
        case SQLITE_TRANSACTION:
        case SQLITE_SAVEPOINT:
        case SQLITE_ATTACH:
        case SQLITE_DETACH:
            return SQLITE_OK;
        default:
            return SQLITE_DENY;
    }
}

}  // namespace

void restrictToTable(sqlite3* db) {
    sqlite3_set_authorizer(db, decide, nullptr);
}

}  // namespace veltrop::engine
