#include "engine/table_file.h"

#include "engine/connection.h"
#include "engine/record_lock_registry.h"
#include "engine/schema.h"

namespace veltrop::engine {

namespace {

const std::string kFrom = std::string(" FROM ") + schema::kTableName;

RawRecord valuesFrom(const Query& query, int firstColumn, size_t count) {
    RawRecord values;
    values.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        values.push_back(query.text(firstColumn + static_cast<int>(i)));
    }
    return values;
}

}  // namespace

TableFile::TableFile(std::unique_ptr<Connection> connection, TableDefinition definition,
                     bool readOnly, std::shared_ptr<RecordLockRegistry> locks)
    : locks_(std::move(locks)),
      connection_(std::move(connection)),
      definition_(std::move(definition)),
      readOnly_(readOnly) {}

TableFile::~TableFile() {
    connection_.reset();
    // Record locks held through this object die with it; the registry releases the
    // descriptor-level locks when the last user goes.
    if (locks_) {
        for (auto number : heldLocks()) {
            locks_->unlock(number, this);
        }
    }
}

bool TableFile::isStillNamed() const {
    return !locks_ || locks_->isNamedBy(connection_->fileName());
}

std::vector<RecordNumber> TableFile::heldLocks() const {
    return locks_ ? locks_->heldByHolder(this) : std::vector<RecordNumber>{};
}

std::string TableFile::selectFields() const {
    return "SELECT " + schema::columnList(definition_) + kFrom;
}

std::optional<RecordNumber> TableFile::numberFrom(Query& query) {
    if (query.step() && !query.isNull(0)) {
        return query.integer(0);
    }
    return std::nullopt;
}

std::optional<RecordNumber> TableFile::first() {
    auto query = connection_->query("SELECT min(recno)" + kFrom);
    return numberFrom(query);
}

std::optional<RecordNumber> TableFile::last() {
    auto query = connection_->query("SELECT max(recno)" + kFrom);
    return numberFrom(query);
}

std::optional<RecordNumber> TableFile::next(RecordNumber after) {
    auto query = connection_->query("SELECT min(recno)" + kFrom + " WHERE recno > ?1");
    query.bind(1, after);
    const auto found = numberFrom(query);
    if (found && *found <= after) {
        fail(ErrorCode::TableDamaged, after);
    }
    return found;
}

std::optional<RecordNumber> TableFile::prior(RecordNumber before) {
    auto query = connection_->query("SELECT max(recno)" + kFrom + " WHERE recno < ?1");
    query.bind(1, before);
    const auto found = numberFrom(query);
    if (found && *found >= before) {
        fail(ErrorCode::TableDamaged, before);
    }
    return found;
}

std::optional<RawRecord> TableFile::read(RecordNumber number) {
    auto query = connection_->query(selectFields() + " WHERE recno = ?1");
    query.bind(1, number);
    if (!query.step()) {
        return std::nullopt;
    }
    return valuesFrom(query, 1, definition_.fields.size());
}

std::vector<RecordRow> TableFile::readFrom(RecordNumber start, int count) {
    auto query = connection_->query(selectFields() + " WHERE recno >= ?1 ORDER BY recno LIMIT ?2");
    query.bind(1, start).bind(2, static_cast<std::int64_t>(count));
    std::vector<RecordRow> rows;
    while (query.step()) {
        const RecordNumber number = query.integer(0);
        // A damaged table can hand out numbers out of order; never walk backwards.
        if (number < start || (!rows.empty() && number <= rows.back().number)) {
            fail(ErrorCode::TableDamaged, number);
        }
        rows.push_back({number, valuesFrom(query, 1, definition_.fields.size())});
    }
    return rows;
}

void TableFile::forEachRecord(const std::function<void(RecordRow&)>& visit) {
    constexpr int kRecordsPerRead = 1000;
    RecordNumber next = 0;
    for (;;) {
        auto rows = readFrom(next, kRecordsPerRead);
        for (auto& row : rows) {
            visit(row);
        }
        if (rows.size() < static_cast<std::size_t>(kRecordsPerRead)) {
            return;
        }
        next = rows.back().number + 1;
    }
}

std::int64_t TableFile::recordCount() {
    auto query = connection_->query("SELECT count(*)" + kFrom);
    query.step();
    return query.integer(0);
}

void TableFile::requireWritable() const {
    if (readOnly_ || !locks_) {
        throw connection_->errorFor(ErrorCode::ReadOnly);
    }
}

void TableFile::fail(ErrorCode code, RecordNumber number) const {
    throw EngineError(code, connection_->fileName(), {"Record " + std::to_string(number)});
}

void TableFile::lock(RecordNumber number) {
    requireWritable();
    if (!locks_->tryLock(number, this)) {
        fail(ErrorCode::RecordLocked, number);
    }
}

void TableFile::unlock(RecordNumber number) {
    if (locks_) {
        locks_->unlock(number, this);
    }
}

bool TableFile::holdsLock(RecordNumber number) const {
    return locks_ && locks_->heldBy(number, this);
}

void TableFile::update(RecordNumber number, const std::vector<FieldChange>& changes) {
    withLock(number, [&] {
        if (changes.empty()) {
            if (!read(number)) {
                fail(ErrorCode::RecordDeleted, number);
            }
            return;
        }
        std::string sql = std::string("UPDATE ") + schema::kTableName + " SET ";
        for (size_t i = 0; i < changes.size(); ++i) {
            sql += (i ? ", " : "") + schema::quoted(definition_.fields.at(changes[i].field).name) +
                   " = ?" + std::to_string(i + 2);
        }
        auto query = connection_->query(sql + " WHERE recno = ?1");
        query.bind(1, number);
        for (size_t i = 0; i < changes.size(); ++i) {
            query.bind(static_cast<int>(i + 2), changes[i].value);
        }
        query.run();
        if (connection_->changes() == 0) {
            fail(ErrorCode::RecordDeleted, number);
        }
    });
}

RecordNumber TableFile::insert(const RawRecord& values) {
    requireWritable();
    std::string columns;
    std::string parameters;
    for (size_t i = 0; i < definition_.fields.size(); ++i) {
        columns += (i ? ", " : "") + schema::quoted(definition_.fields[i].name);
        parameters += (i ? ", ?" : "?") + std::to_string(i + 1);
    }
    auto query = connection_->query(std::string("INSERT INTO ") + schema::kTableName + " (" +
                                    columns + ") VALUES (" + parameters + ")");
    for (size_t i = 0; i < definition_.fields.size(); ++i) {
        query.bind(static_cast<int>(i + 1), i < values.size() ? values[i] : std::string());
    }
    query.run();
    return connection_->lastInsertedRow();
}

void TableFile::remove(RecordNumber number) {
    withLock(number, [&] {
        auto query = connection_->query("DELETE" + kFrom + " WHERE recno = ?1");
        query.bind(1, number);
        query.run();
        if (connection_->changes() == 0) {
            fail(ErrorCode::RecordDeleted, number);
        }
    });
    unlock(number);
}

template <typename Write>
void TableFile::withLock(RecordNumber number, Write write) {
    requireWritable();
    // Whoever writes a record must hold its lock, if only for this one write.
    const bool lockedHere = !holdsLock(number);
    lock(number);
    try {
        write();
    } catch (...) {
        if (lockedHere) {
            unlock(number);
        }
        throw;
    }
    if (lockedHere) {
        unlock(number);
    }
}

std::optional<RecordNumber> TableFile::find(const std::vector<int>& fields,
                                            const std::vector<std::string>& values,
                                            SearchOptions options) {
    std::string sql = "SELECT min(recno)" + kFrom + " WHERE 1";
    std::vector<std::string> parameters;
    for (size_t i = 0; i < fields.size(); ++i) {
        const FieldDefinition& field = definition_.fields.at(fields[i]);
        const std::string column = schema::quoted(field.name);
        const std::string value = i < values.size() ? values[i] : std::string();
        const std::string collation = options.caseInsensitive ? " COLLATE NOCASE" : "";
        const std::string parameter = "?" + std::to_string(parameters.size() + 1);
        const bool partial = options.partialLastField && i + 1 == fields.size();
        if (partial || !value.empty()) {
            parameters.push_back(value);
        }
        if (partial) {
            sql += " AND substr(ifnull(" + column + ", ''), 1, length(" + parameter +
                   ")) = " + parameter + collation;
        } else if (value.empty()) {
            // A value nobody ever wrote counts as empty text.
            sql += " AND ifnull(" + column + ", '') = ''";
        } else {
            sql += " AND " + column + " = " + parameter + collation;
            if (!options.caseInsensitive && hasCaseInsensitiveIndex(field.name)) {
                // Implied by the exact match, and lets the search use the index.
                sql += " AND " + column + " = " + parameter + " COLLATE NOCASE";
            }
        }
    }
    auto query = connection_->query(sql);
    for (size_t i = 0; i < parameters.size(); ++i) {
        query.bind(static_cast<int>(i + 1), parameters[i]);
    }
    return numberFrom(query);
}

bool TableFile::hasCaseInsensitiveIndex(const std::string& field) const {
    for (const auto& index : definition_.indexes) {
        if (index.field == field && index.caseInsensitive) {
            return true;
        }
    }
    return false;
}

void TableFile::begin() {
    requireWritable();
    connection_->execute("BEGIN IMMEDIATE");
}

void TableFile::commit() {
    connection_->execute("COMMIT");
}

void TableFile::rollback() {
    connection_->execute("ROLLBACK");
}

std::vector<std::string> TableFile::integrityProblems(bool quick) {
    auto check = connection_->query(quick ? "PRAGMA quick_check" : "PRAGMA integrity_check");
    std::vector<std::string> problems;
    while (check.step()) {
        if (check.text(0) != "ok") {
            problems.push_back(check.text(0));
        }
    }
    return problems;
}

void TableFile::reread() {
    connection_->releaseMemory();
}

}  // namespace veltrop::engine
