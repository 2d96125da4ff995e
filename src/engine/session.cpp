#include "engine/session.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "engine/aside_files.h"
#include "engine/connection.h"
#include "engine/file_probe.h"
#include "engine/journal_vfs.h"
#include "engine/record_lock_registry.h"
#include "engine/schema.h"
#include "engine/schema_guard.h"
#include "engine/sole_use.h"
#include "engine/table_key.h"
#include "engine/test_point.h"

namespace veltrop::engine {

namespace {

[[noreturn]] void fail(ErrorCode code, const std::string& fileName,
                       const std::string& detail = {}) {
    if (detail.empty()) {
        throw EngineError(code, fileName);
    }
    throw EngineError(code, fileName, {detail}, -1);
}

void initializeStorage() {
    const int rc = sqlite3_initialize();
    if (rc != SQLITE_OK) {
        char text[96];
        std::snprintf(text, sizeof text,
                      "An error occurred while attempting to initialize the database engine "
                      "(error $%.4x)",
                      static_cast<unsigned>(ErrorCode::InitFailed));
        throw EngineError(ErrorCode::InitFailed, {}, {text}, rc);
    }
    useJournalFolder();
}

// A new file beside fileName, readable and writable by its owner only.
std::string makeSiblingFile(const std::string& fileName) {
    std::string path;
    const int fd = createAsideFile(fileName, kRewriteMarker, path);
    if (fd < 0) {
        fail(errno == ENOSPC ? ErrorCode::DiskFull : ErrorCode::WriteFailed, fileName,
             std::strerror(errno));
    }
    close(fd);
    return path;
}

// Builds a new file aside and links it into place, so that the name never shows a
// half-made file and an existing file is never replaced.
void createAside(const std::string& fileName,
                 const std::function<void(const std::string& building)>& build) {
    struct stat info {};
    if (lstat(fileName.c_str(), &info) == 0) {
        fail(ErrorCode::TableExists, fileName);
    }
    const std::string building = makeSiblingFile(fileName);
    try {
        build(building);
    } catch (...) {
        removeAsideFile(building);
        throw;
    }
    if (!putInPlace(building, fileName, false)) {
        fail(errno == EEXIST ? ErrorCode::TableExists : ErrorCode::WriteFailed, fileName,
             std::strerror(errno));
    }
}

// Reading the schema is the first statement: the storage library finds out only then
// whether the file is a database at all and whether its key fits. What it then cannot
// make of the schema (a format number it does not know, a size past its limits) is the
// file's doing, not a failure of the library.
void verifyReadable(Connection& connection) {
    try {
        auto probe = connection.query("SELECT count(*) FROM sqlite_master");
        probe.step();
    } catch (const EngineError& error) {
        const int native = error.nativeCode() & 0xff;
        if (error.code() != ErrorCode::StorageFailure ||
            (native != SQLITE_ERROR && native != SQLITE_TOOBIG)) {
            throw;
        }
        throw EngineError(ErrorCode::TableDamaged, error.fileName(), error.details(),
                          error.nativeCode());
    }
}

void verifyComplete(Connection& connection, long long fileSize) {
    long long pages = 0;
    long long pageSize = 0;
    {
        auto count = connection.query("PRAGMA page_count");
        if (count.step()) {
            pages = count.integer(0);
        }
    }
    {
        auto size = connection.query("PRAGMA page_size");
        if (size.step()) {
            pageSize = size.integer(0);
        }
    }
    if (pages * pageSize > fileSize) {
        throw EngineError(ErrorCode::TableDamaged, connection.fileName(),
                          {"The file is shorter than its contents"});
    }
}

}  // namespace

Session::Session(SessionOptions options) : options_(std::move(options)) {
    initializeStorage();
    if (!options_.vfsName.empty() && !sqlite3_vfs_find(options_.vfsName.c_str())) {
        throw EngineError(ErrorCode::StorageFailure, {},
                          {"No file system layer " + options_.vfsName}, -1);
    }
}

Session::~Session() {
    removeAllPasswords();
}

struct Session::Opened {
    std::unique_ptr<Connection> connection;
    // What gives a new file the same protection and key: the same salt and key.
    Secret sameKeyText;
};

void Session::addPassword(std::string_view password) {
    if (std::none_of(passwords_.begin(), passwords_.end(),
                     [&](const Secret& listed) { return listed.view() == password; })) {
        passwords_.emplace_back(password);
    }
}

void Session::removePassword(std::string_view password) {
    keys_.forget(password);
    passwords_.erase(
        std::remove_if(passwords_.begin(), passwords_.end(),
                       [&](const Secret& listed) { return listed.view() == password; }),
        passwords_.end());
}

void Session::removeAllPasswords() {
    keys_.clear();
    passwords_.clear();
}

Session::Opened Session::connect(const std::string& fileName, bool readOnly) {
    const FileFacts facts = probeFile(fileName);
    if (facts.kind == FileKind::NotATable) {
        fail(ErrorCode::NotATable, fileName);
    }
    if (!readOnly && !facts.writable) {
        fail(ErrorCode::ReadOnly, fileName);
    }
    Opened opened;
    if (facts.kind == FileKind::Plain) {
        admitSchema(fileName, Secret(), readOnly, options_);
        opened.connection = std::make_unique<Connection>(fileName, readOnly, options_);
        verifyReadable(*opened.connection);
    } else {
        const std::optional<Salt> salt = readSalt(fileName);
        if (!salt) {
            fail(ErrorCode::NotATable, fileName);
        }
        for (const auto& password : passwords_) {
            const Secret& key = keys_.keyFor(password.view(), *salt);
            const Secret keyText = rawKeyText(key);
            admitSchema(fileName, keyText, readOnly, options_);
            auto candidate = std::make_unique<Connection>(fileName, readOnly, options_);
            candidate->setKey(keyText);
            try {
                verifyReadable(*candidate);
            } catch (const EngineError& error) {
                if (error.code() == ErrorCode::NotATable) {
                    continue;
                }
                throw;
            }
            opened.connection = std::move(candidate);
            opened.sameKeyText = rawKeyText(key, &*salt);
            break;
        }
        if (!opened.connection) {
            fail(ErrorCode::InsufficientRights, fileName);
        }
    }
    verifyComplete(*opened.connection, facts.size);
    opened.connection->execute("PRAGMA synchronous = FULL");
    return opened;
}

std::unique_ptr<TableFile> Session::openTable(const std::string& fileName, OpenMode mode) {
    const bool readOnly = mode == OpenMode::ReadOnly;
    struct stat before {};
    const bool found = stat(fileName.c_str(), &before) == 0;
    auto connection = connect(fileName, readOnly).connection;
    auto locks = RecordLockRegistry::forFile(fileName);
    if (!found || !locks->isFile(before.st_dev, before.st_ino)) {
        // Another program put a new file in place while this one was being opened.
        fail(ErrorCode::TableLocked, fileName);
    }
    TableDefinition definition = schema::read(*connection);
    return std::make_unique<TableFile>(std::move(connection), std::move(definition), readOnly,
                                       std::move(locks));
}
void Session::createTable(const std::string& fileName, const TableDefinition& definition) {
    createAside(fileName, [&](const std::string& building) {
        Connection connection(building, false, options_);
        connection.execute("PRAGMA page_size = 4096");
        connection.execute("PRAGMA synchronous = FULL");
        connection.execute("BEGIN");
        for (const auto& statement : schema::createStatements(definition)) {
            connection.execute(statement);
        }
        connection.execute("COMMIT");
    });
}

namespace {

// Fills the attached file "copy" from the source's table in one transaction, so the
// copy is of one moment of the table.
void fillCopy(Connection& source, const std::string& copyName, const Secret& keyText,
              const std::function<void(Connection&)>& fill) {
    source.query("ATTACH DATABASE ?1 AS copy KEY ?2")
        .bind(1, copyName)
        .bind(2, keyText.view())
        .run();
    try {
        source.execute("PRAGMA copy.synchronous = FULL");
        source.execute("BEGIN");
        fill(source);
        source.execute("COMMIT");
    } catch (...) {
        sqlite3_exec(source.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_exec(source.handle(), "DETACH DATABASE copy", nullptr, nullptr, nullptr);
        throw;
    }
    source.execute("DETACH DATABASE copy");
}

// The copy gets the table, its indexes and its record numbers, and nothing else the
// file may hold.
void copyRecords(Connection& source, const TableDefinition& definition) {
    for (const auto& statement : schema::createStatements(definition, "copy")) {
        source.execute(statement);
    }
    const std::string table = schema::kTableName;
    source.execute("INSERT INTO copy." + table + " SELECT * FROM main." + table);
    source.execute(
        "INSERT OR REPLACE INTO copy.sqlite_sequence SELECT * FROM main.sqlite_sequence");
}

void copyAll(Connection& source) {
    copyRecords(source, schema::read(source));
}

}  // namespace

namespace {

// The file a rewrite replaces: the one a symbolic link leads to, so that the new file is
// built beside it and takes its place, not the link's. A file with more than one name
// would keep its old contents under the others, so it is refused.
std::string rewrittenFile(const std::string& fileName) {
    struct stat info {};
    if (lstat(fileName.c_str(), &info) != 0) {
        fail(errno == ENOENT ? ErrorCode::TableNotFound : ErrorCode::ReadFailed, fileName,
             std::strerror(errno));
    }
    std::string target = fileName;
    if (S_ISLNK(info.st_mode)) {
        char* resolved = realpath(fileName.c_str(), nullptr);
        if (!resolved || stat(resolved, &info) != 0) {
            std::free(resolved);
            fail(ErrorCode::TableNotFound, fileName, std::strerror(errno));
        }
        target = resolved;
        std::free(resolved);
    }
    if (info.st_nlink > 1) {
        fail(ErrorCode::WriteFailed, fileName,
             "The table file has " + std::to_string(info.st_nlink) +
                 " names (hard links), which would keep the old records; remove the others "
                 "first");
    }
    return target;
}

}  // namespace

void Session::rewrite(const std::string& name, const Secret* newKeyText, const Fill& fill) {
    const std::string fileName = rewrittenFile(name);
    const SoleUse alone(fileName);
    // Only a rewrite that was killed can have left one: this one holds the table alone.
    removeMarkedFiles(directoryOf(fileName), baseName(fileName), kRewriteMarker);
    Opened source = connect(fileName, false);
    schema::read(*source.connection);
    const std::string rewritten = makeSiblingFile(fileName);
    try {
        fillCopy(*source.connection, rewritten, newKeyText ? *newKeyText : source.sameKeyText,
                 fill);
        reachPoint("rewrite-filled");
    } catch (...) {
        source.connection.reset();
        removeAsideFile(rewritten);
        throw;
    }
    source.connection.reset();
    if (!putInPlace(rewritten, fileName, true)) {
        fail(ErrorCode::WriteFailed, fileName, std::strerror(errno));
    }
}

void Session::protectTable(const std::string& fileName, std::string_view password) {
    const Salt salt = randomSalt();
    Secret key = deriveTableKey(password, salt);
    const Secret keyText = rawKeyText(key, &salt);
    rewrite(fileName, &keyText, copyAll);
    keys_.remember(password, salt, std::move(key));
}

void Session::unprotectTable(const std::string& fileName) {
    const Secret plain;
    rewrite(fileName, &plain, copyAll);
}

void Session::restructureTable(const std::string& fileName, const TableDefinition& wider) {
    rewrite(fileName, nullptr, [&](Connection& source) {
        const TableDefinition current = schema::read(source);
        for (size_t i = 0; i < current.fields.size(); ++i) {
            if (i >= wider.fields.size() || wider.fields[i].name != current.fields[i].name ||
                wider.fields[i].kind != current.fields[i].kind ||
                wider.fields[i].size < current.fields[i].size) {
                fail(ErrorCode::WrongStructure, fileName, "A field may only be made wider");
            }
        }
        copyRecords(source, wider);
    });
}

void Session::backupTable(const std::string& fileName, const std::string& copyName) {
    createAside(copyName, [&](const std::string& building) {
        const auto inUse = RecordLockRegistry::forFile(fileName);
        // Read-write, because the copy is attached through the same connection.
        Opened source = connect(fileName, false);
        fillCopy(*source.connection, building, source.sameKeyText, copyAll);
    });
}

}  // namespace veltrop::engine
