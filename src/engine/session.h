#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/table_definition.h"
#include "engine/table_file.h"

namespace veltrop::engine {

class Connection;

struct SessionOptions {
    // The storage library's file-system layer to use; empty for the default one.
    std::string vfsName;
    // How long an operation waits for another program's lock on the table file.
    int busyTimeoutMs = 2000;
};

enum class OpenMode { ReadWrite, ReadOnly };

// The engine's standard database for local tables: table files are named relative
// to the working directory at the moment of opening. It keeps the list of table
// passwords that every later open tries.
class Session {
public:
    explicit Session(SessionOptions options = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void addPassword(const std::string& password);
    void removePassword(const std::string& password);
    void removeAllPasswords();
    const std::vector<std::string>& passwords() const { return passwords_; }

    // Fails with ReadOnly when ReadWrite is asked of a file that cannot be written,
    // InsufficientRights when the table is protected and no listed password fits,
    // TableNotFound, TableLocked, NotATable, TableDamaged or WrongStructure otherwise.
    std::unique_ptr<TableFile> openTable(const std::string& fileName, OpenMode mode);

    // Creates a new, empty table file readable and writable by its owner only.
    // Fails with TableExists when the file is already there.
    void createTable(const std::string& fileName, const TableDefinition& definition);

    // Encrypts the table with the password (opening it with the listed passwords
    // first), or removes its protection. The file is replaced atomically.
    void protectTable(const std::string& fileName, const std::string& password);
    void unprotectTable(const std::string& fileName);

    const SessionOptions& options() const { return options_; }

private:
    std::unique_ptr<Connection> connect(const std::string& fileName, bool readOnly);
    void rewriteWithKey(const std::string& fileName, const std::string& key);

    SessionOptions options_;
    std::vector<std::string> passwords_;
};

}  // namespace veltrop::engine
