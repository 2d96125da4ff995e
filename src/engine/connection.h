#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/error.h"
#include "engine/secret.h"

struct sqlite3;
struct sqlite3_stmt;

namespace veltrop::engine {

struct SessionOptions;

// A prepared statement kept for reuse. A Query borrows it and resets it when done,
// so no statement ever keeps a read transaction open between operations.
class Statement {
public:
    Statement(sqlite3_stmt* statement) : statement_(statement) {}
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* handle() const { return statement_; }

private:
    sqlite3_stmt* statement_;
};

class Connection;

class Query {
public:
    Query(Connection& connection, Statement& statement);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& bind(int index, std::string_view text);
    Query& bind(int index, std::int64_t value);
    // True while a row is available; throws the engine's error on failure.
    bool step();
    // Runs a statement that returns no rows.
    void run();

    std::string text(int column) const;
    std::int64_t integer(int column) const;
    bool isNull(int column) const;

private:
    Connection& connection_;
    sqlite3_stmt* statement_;
};

// One connection of the storage library to a table file.
class Connection {
public:
    // Opens the file; nothing is read or written until the first statement.
    Connection(const std::string& fileName, bool readOnly, const SessionOptions& options);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const { return db_; }
    const std::string& fileName() const { return fileName_; }

    // The key as the storage library takes it (see table_key.h).
    void setKey(const Secret& key);
    // Rows changed by the last write, and the number the last insert got.
    int changes() const;
    std::int64_t lastInsertedRow() const;
    // Gives back the pages cached for this connection.
    void releaseMemory();
    Query query(const std::string& sql);
    void execute(const std::string& sql);

    // The engine error for a failed call of the storage library.
    [[noreturn]] void fail(int resultCode) const;
    EngineError errorFor(int resultCode, bool reading = false) const;
    EngineError errorFor(ErrorCode code) const;

private:
    sqlite3* db_ = nullptr;
    std::string fileName_;
    std::map<std::string, std::unique_ptr<Statement>, std::less<>> statements_;
};

}  // namespace veltrop::engine
