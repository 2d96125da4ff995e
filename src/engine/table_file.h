#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/error.h"
#include "engine/table_definition.h"

namespace veltrop::engine {

class RecordLockRegistry;
class Connection;
class Query;

// Position of a record in the table's natural order; stable while the record lives.
using RecordNumber = std::int64_t;

// Field values as stored: UTF-8 bytes, in field order. A value without text reads as "".
using RawRecord = std::vector<std::string>;

struct FieldChange {
    int field;
    std::string value;
};

struct SearchOptions {
    bool caseInsensitive = false;   // ASCII letters only
    bool partialLastField = false;  // the last key value is a prefix
};

struct RecordRow {
    RecordNumber number;
    RawRecord values;
};

// One open table file, as one cursor sees it. Every operation reads the file as it
// is now; nothing of the table is cached between calls.
class TableFile {
public:
    TableFile(std::unique_ptr<Connection> connection, TableDefinition definition, bool readOnly,
              std::shared_ptr<RecordLockRegistry> locks);
    ~TableFile();
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    const TableDefinition& definition() const { return definition_; }
    // Whether the file's name still leads to this very file (see RecordLockRegistry).
    bool isStillNamed() const;
    bool readOnly() const { return readOnly_; }

    std::optional<RecordNumber> first();
    std::optional<RecordNumber> last();
    std::optional<RecordNumber> next(RecordNumber after);
    std::optional<RecordNumber> prior(RecordNumber before);
    std::optional<RawRecord> read(RecordNumber number);
    // Up to count records in table order, starting at the first record at or after start.
    std::vector<RecordRow> readFrom(RecordNumber start, int count);
    // Every record in table order, read a page of rows at a time.
    void forEachRecord(const std::function<void(RecordRow&)>& visit);
    std::int64_t recordCount();

    // Record locks hold against every other TableFile, in this process or another,
    // and vanish with their holder. lock() fails with RecordLocked.
    void lock(RecordNumber number);
    void unlock(RecordNumber number);
    bool holdsLock(RecordNumber number) const;

    // Writes are atomic and durable when they return. update() and remove() fail with
    // RecordDeleted when the record is gone, RecordLocked when another holder has it.
    void update(RecordNumber number, const std::vector<FieldChange>& changes);
    RecordNumber insert(const RawRecord& values);
    void remove(RecordNumber number);

    // The first record in table order whose key fields equal the values.
    std::optional<RecordNumber> find(const std::vector<int>& fields,
                                     const std::vector<std::string>& values, SearchOptions options);

    // Groups writes into one transaction that takes effect as a whole or not at all.
    // begin() waits for other programs' writes like any write does.
    void begin();
    void commit();
    void rollback();

    // What the storage library finds wrong with the file: nothing when it is sound. The
    // quick check leaves out the comparison of indexes with the records.
    std::vector<std::string> integrityProblems(bool quick);

    // Forgets whatever the storage library holds of the table, so the next read
    // sees the file afresh.
    void reread();

private:
    static std::optional<RecordNumber> numberFrom(Query& query);
    template <typename Write>
    void withLock(RecordNumber number, Write write);
    bool hasCaseInsensitiveIndex(const std::string& field) const;
    std::vector<RecordNumber> heldLocks() const;
    std::string selectFields() const;
    void requireWritable() const;
    [[noreturn]] void fail(ErrorCode code, RecordNumber number) const;

    // Declared first so that it outlives the connection: closing its descriptor would
    // drop the storage library's own locks on the file.
    std::shared_ptr<RecordLockRegistry> locks_;
    std::unique_ptr<Connection> connection_;
    TableDefinition definition_;
    bool readOnly_;
};

}  // namespace veltrop::engine
