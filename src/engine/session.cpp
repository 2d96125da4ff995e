#include "engine/session.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/connection.h"
#include "engine/file_probe.h"
#include "engine/record_lock_registry.h"
#include "engine/schema.h"

namespace veltrop::engine {

namespace {

[[noreturn]] void fail(ErrorCode code, const std::string& fileName,
                       const std::string& detail = {}) {
    std::vector<ErrorContext> context{{code, 0, "Table: " + fileName}};
    if (!detail.empty()) {
        context.push_back({code, -1, detail});
    }
    throw EngineError(code, std::move(context));
}

void initializeStorage() {
    const int rc = sqlite3_initialize();
    if (rc != SQLITE_OK) {
        char text[96];
        std::snprintf(text, sizeof text,
                      "An error occurred while attempting to initialize the database engine "
                      "(error $%.4x)",
                      static_cast<unsigned>(ErrorCode::InitFailed));
        throw EngineError(ErrorCode::InitFailed, {{ErrorCode::InitFailed, rc, text}});
    }
}

std::string directoryOf(const std::string& fileName) {
    const auto slash = fileName.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : fileName.substr(0, slash);
}

// A rename or link is only durable once the directory itself is on disk.
void syncDirectory(const std::string& fileName) {
    const int fd = open(directoryOf(fileName).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// A new file beside fileName, readable and writable by its owner only.
std::string makeSiblingFile(const std::string& fileName) {
    std::string path = fileName + ".new-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) {
        fail(errno == ENOSPC ? ErrorCode::DiskFull : ErrorCode::WriteFailed, fileName,
             std::strerror(errno));
    }
    close(fd);
    return path;
}

void removeSiblingFile(const std::string& path) {
    unlink((path + "-journal").c_str());
    unlink(path.c_str());
}

// Reading the schema is the first statement: the storage library finds out only then
// whether the file is a database at all and whether its key fits.
void verifyReadable(Connection& connection) {
    auto probe = connection.query("SELECT count(*) FROM sqlite_master");
    probe.step();
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
        throw EngineError(ErrorCode::TableDamaged,
                          {{ErrorCode::TableDamaged, 0, "Table: " + connection.fileName()},
                           {ErrorCode::TableDamaged, 0, "The file is shorter than its contents"}});
    }
}

}  // namespace

Session::Session(SessionOptions options) : options_(std::move(options)) {
    initializeStorage();
    if (!options_.vfsName.empty() && !sqlite3_vfs_find(options_.vfsName.c_str())) {
        throw EngineError(
            ErrorCode::StorageFailure,
            {{ErrorCode::StorageFailure, -1, "No file system layer " + options_.vfsName}});
    }
}

Session::~Session() = default;

void Session::addPassword(const std::string& password) {
    if (std::find(passwords_.begin(), passwords_.end(), password) == passwords_.end()) {
        passwords_.push_back(password);
    }
}

void Session::removePassword(const std::string& password) {
    passwords_.erase(std::remove(passwords_.begin(), passwords_.end(), password), passwords_.end());
}

void Session::removeAllPasswords() {
    passwords_.clear();
}

std::unique_ptr<Connection> Session::connect(const std::string& fileName, bool readOnly) {
    const FileFacts facts = probeFile(fileName);
    if (facts.kind == FileKind::NotATable) {
        fail(ErrorCode::NotATable, fileName);
    }
    if (!readOnly && !facts.writable) {
        fail(ErrorCode::ReadOnly, fileName);
    }
    std::unique_ptr<Connection> connection;
    if (facts.kind == FileKind::Plain) {
        connection = std::make_unique<Connection>(fileName, readOnly, options_);
        verifyReadable(*connection);
    } else {
        for (const auto& password : passwords_) {
            auto candidate = std::make_unique<Connection>(fileName, readOnly, options_);
            candidate->setKey(password);
            try {
                verifyReadable(*candidate);
            } catch (const EngineError& error) {
                if (error.code() == ErrorCode::NotATable) {
                    continue;
                }
                throw;
            }
            connection = std::move(candidate);
            break;
        }
        if (!connection) {
            fail(ErrorCode::InsufficientRights, fileName);
        }
    }
    verifyComplete(*connection, facts.size);
    connection->execute("PRAGMA synchronous = FULL");
    return connection;
}

std::unique_ptr<TableFile> Session::openTable(const std::string& fileName, OpenMode mode) {
    const bool readOnly = mode == OpenMode::ReadOnly;
    auto connection = connect(fileName, readOnly);
    TableDefinition definition = schema::read(*connection);
    auto locks = readOnly ? nullptr : RecordLockRegistry::forFile(fileName);
    return std::make_unique<TableFile>(std::move(connection), std::move(definition), readOnly,
                                       std::move(locks));
}

void Session::createTable(const std::string& fileName, const TableDefinition& definition) {
    struct stat info {};
    if (lstat(fileName.c_str(), &info) == 0) {
        fail(ErrorCode::TableExists, fileName);
    }
    // Built aside and linked into place, so the name never shows a half-made table
    // and an existing file is never replaced.
    const std::string building = makeSiblingFile(fileName);
    try {
        {
            Connection connection(building, false, options_);
            connection.execute("PRAGMA page_size = 4096");
            connection.execute("PRAGMA synchronous = FULL");
            connection.execute("BEGIN");
            for (const auto& statement : schema::createStatements(definition)) {
                connection.execute(statement);
            }
            connection.execute("COMMIT");
        }
        if (link(building.c_str(), fileName.c_str()) != 0) {
            fail(errno == EEXIST ? ErrorCode::TableExists : ErrorCode::WriteFailed, fileName,
                 std::strerror(errno));
        }
    } catch (...) {
        removeSiblingFile(building);
        throw;
    }
    removeSiblingFile(building);
    syncDirectory(fileName);
}

void Session::rewriteWithKey(const std::string& fileName, const std::string& key) {
    auto source = connect(fileName, false);
    schema::read(*source);
    const std::string rewritten = makeSiblingFile(fileName);
    try {
        source->query("ATTACH DATABASE ?1 AS rewritten KEY ?2")
            .bind(1, rewritten)
            .bind(2, key)
            .run();
        source->execute("SELECT sqlcipher_export('rewritten')");
        source->execute("DETACH DATABASE rewritten");
        source.reset();
        if (rename(rewritten.c_str(), fileName.c_str()) != 0) {
            fail(ErrorCode::WriteFailed, fileName, std::strerror(errno));
        }
    } catch (...) {
        source.reset();
        removeSiblingFile(rewritten);
        throw;
    }
    syncDirectory(fileName);
}

void Session::protectTable(const std::string& fileName, const std::string& password) {
    rewriteWithKey(fileName, password);
}

void Session::unprotectTable(const std::string& fileName) {
    rewriteWithKey(fileName, "");
}

}  // namespace veltrop::engine
