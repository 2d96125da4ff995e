#include "engine/connection.h"

#include <sqlite3.h>

#include <cerrno>

#include "engine/authorizer.h"
#include "engine/session.h"

namespace veltrop::engine {

namespace {

// systemErrno is what the operating system said, when the failure came from it.
ErrorCode codeForResult(int resultCode, int systemErrno, bool reading) {
    if (systemErrno == ENOSPC || systemErrno == EDQUOT) {
        return ErrorCode::DiskFull;
    }
    switch (resultCode & 0xff) {
        case SQLITE_FULL:
            return ErrorCode::DiskFull;
        case SQLITE_IOERR:
            return resultCode == SQLITE_IOERR_READ || resultCode == SQLITE_IOERR_SHORT_READ
                       ? ErrorCode::ReadFailed
                       : ErrorCode::WriteFailed;
        case SQLITE_CANTOPEN:
            // The file itself was opened before; what cannot be created now is a journal.
            return ErrorCode::WriteFailed;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return ErrorCode::TableLocked;
        case SQLITE_CORRUPT:
        case SQLITE_AUTH:  // a statement reached what the file should never hold
            return ErrorCode::TableDamaged;
        case SQLITE_TOOBIG:
            // Nothing this program writes comes near the limit; a value read back that
            // claims to is a damaged record.
            return reading ? ErrorCode::TableDamaged : ErrorCode::StorageFailure;
        case SQLITE_NOTADB:
            return ErrorCode::NotATable;
        case SQLITE_READONLY:
            return ErrorCode::ReadOnly;
        default:
            return ErrorCode::StorageFailure;
    }
}

}  // namespace

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

Query::Query(Connection& connection, Statement& statement)
    : connection_(connection), statement_(statement.handle()) {}

Query::~Query() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

Query& Query::bind(int index, std::string_view text) {
    const int rc = sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                                     SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) {
        connection_.fail(rc);
    }
    return *this;
}

Query& Query::bind(int index, std::int64_t value) {
    const int rc = sqlite3_bind_int64(statement_, index, value);
    if (rc != SQLITE_OK) {
        connection_.fail(rc);
    }
    return *this;
}

bool Query::step() {
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    // The statement's own error is only reported once it is reset.
    const int failure = sqlite3_reset(statement_);
    const int code = failure != SQLITE_OK ? sqlite3_extended_errcode(connection_.handle()) : rc;
    throw connection_.errorFor(code, sqlite3_stmt_readonly(statement_) != 0);
}

void Query::run() {
    while (step()) {
    }
}

std::string Query::text(int column) const {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
    if (sqlite3_column_type(statement_, column) != SQLITE_BLOB) {
        bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    }
    const int size = sqlite3_column_bytes(statement_, column);
    return bytes ? std::string(bytes, static_cast<size_t>(size)) : std::string();
}

std::int64_t Query::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

bool Query::isNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

Connection::Connection(const std::string& fileName, bool readOnly, const SessionOptions& options)
    : fileName_(fileName) {
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                      SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE;
    const int rc = sqlite3_open_v2(fileName.c_str(), &db_, flags,
                                   options.vfsName.empty() ? nullptr : options.vfsName.c_str());
    if (rc != SQLITE_OK) {
        EngineError error = db_ ? errorFor(rc) : errorFor(ErrorCode::StorageFailure);
        sqlite3_close(db_);
        db_ = nullptr;
        throw error;
    }
    sqlite3_extended_result_codes(db_, 1);
    restrictToTable(db_);
    sqlite3_busy_timeout(db_, options.busyTimeoutMs);
}

Connection::~Connection() {
    statements_.clear();
    sqlite3_close(db_);
}

void Connection::setKey(const Secret& key) {
    const int rc = sqlite3_key(db_, key.data(), static_cast<int>(key.size()));
    if (rc != SQLITE_OK) {
        fail(rc);
    }
}

int Connection::changes() const {
    return sqlite3_changes(db_);
}

std::int64_t Connection::lastInsertedRow() const {
    return sqlite3_last_insert_rowid(db_);
}

void Connection::releaseMemory() {
    sqlite3_db_release_memory(db_);
}

Query Connection::query(const std::string& sql) {
    auto found = statements_.find(sql);
    if (found == statements_.end()) {
        sqlite3_stmt* statement = nullptr;
        const int rc =
            sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(statement);
            fail(sqlite3_extended_errcode(db_));
        }
        found = statements_.emplace(sql, std::make_unique<Statement>(statement)).first;
    }
    return Query(*this, *found->second);
}

void Connection::execute(const std::string& sql) {
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        fail(sqlite3_extended_errcode(db_));
    }
}

void Connection::fail(int resultCode) const {
    throw errorFor(resultCode);
}

EngineError Connection::errorFor(int resultCode, bool reading) const {
    const ErrorCode code = codeForResult(resultCode, db_ ? sqlite3_system_errno(db_) : 0, reading);
    std::string native = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(resultCode);
    if (resultCode == SQLITE_READONLY_DBMOVED) {
        native += "\nThe file was moved, replaced or deleted while open";
    }
    return EngineError(code, fileName_, {native}, resultCode);
}

EngineError Connection::errorFor(ErrorCode code) const {
    return EngineError(code, fileName_);
}

}  // namespace veltrop::engine
