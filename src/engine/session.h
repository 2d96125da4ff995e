#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/key_cache.h"
#include "engine/table_definition.h"
#include "engine/table_file.h"

namespace veltrop::engine {

class Connection;

struct SessionOptions {
    // The storage library's file-system layer to use; empty for the default one.
    std::string vfsName;
    // How long an operation waits for another program's lock on the table file.
    int busyTimeoutMs = 2000;
    // How long reading the schema in the probe may take beyond the busy timeout before the
    // file counts as damaged: a schema is read in milliseconds, even on a busy machine.
    int schemaProbeSpareMs = 10000;
};

enum class OpenMode { ReadWrite, ReadOnly };

// The engine's standard database for local tables: table files are named relative
// to the working directory at the moment of opening. It keeps the list of table
// passwords that every later open tries, and the keys derived from them.
class Session {
public:
    explicit Session(SessionOptions options = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void addPassword(std::string_view password);
    void removePassword(std::string_view password);
    void removeAllPasswords();
    const std::vector<Secret>& passwords() const { return passwords_; }

    // Fails with ReadOnly when ReadWrite is asked of a file that cannot be written,
    // InsufficientRights when the table is protected and no listed password fits,
    // TableNotFound, TableLocked, NotATable, TableDamaged or WrongStructure otherwise.
    // The open table holds the file's shared "in use" lock.
    std::unique_ptr<TableFile> openTable(const std::string& fileName, OpenMode mode);

    // Creates a new, empty table file readable and writable by its owner only.
    // Fails with TableExists when the file is already there.
    void createTable(const std::string& fileName, const TableDefinition& definition);

    // The whole-file changes below open the table with the listed passwords, need it
    // alone (TableInUse otherwise), write the new file aside and put it in place
    // atomically: the name always leads to the old table or to the new one. Through a
    // symbolic link they rewrite the file it leads to; a file with more than one hard
    // link is refused (WriteFailed).

    // Protects the table with the password, or changes its password.
    void protectTable(const std::string& fileName, std::string_view password);
    void unprotectTable(const std::string& fileName);
    // Gives the table the definition, whose fields may only be wider than before.
    void restructureTable(const std::string& fileName, const TableDefinition& wider);

    // A consistent copy of the table under a new name, with the same protection and key,
    // readable and writable by its owner only. Never replaces a file (TableExists).
    void backupTable(const std::string& fileName, const std::string& copyName);

    const SessionOptions& options() const { return options_; }

private:
    struct Opened;
    Opened connect(const std::string& fileName, bool readOnly);
    using Fill = std::function<void(Connection&)>;
    void rewrite(const std::string& name, const Secret* newKeyText, const Fill& fill);

    SessionOptions options_;
    std::vector<Secret> passwords_;
    KeyCache keys_;
};

}  // namespace veltrop::engine
