#pragma once

struct sqlite3;

namespace veltrop::engine {

// Lets the connection run only what the engine's own statements need: reading and writing
// `records`, its indexes and the sequence table, reading the schema, transactions, the
// attached copy of a rewrite and pragmas. Nothing runs on behalf of a trigger or a view.
void restrictToTable(sqlite3* db);

}  // namespace veltrop::engine
