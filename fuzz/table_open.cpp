// The input becomes Veltrop.DB, opened as the program opens it: writable when the file
// allows it, read-only otherwise; then every record is read through the cursor and found
// again by its four key fields. Every failure must be one of the engine's own errors, and
// nothing of this may change the file.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "engine/error.h"
#include "engine/session.h"
#include "engine/table_key.h"
#include "scratch_folder.h"
#include "store/credential_table.h"
#include "store/errors.h"
#include "store/table.h"
#include "support/file_bytes.h"

namespace {

using namespace veltrop;

constexpr const char* kFile = credentials::kFileName;

// A table key costs a deliberate half second and 256 MiB to derive. The keyed session
// derives the keys of the protected seed once and keeps them in its key cache; a file
// with another salt meets a session without passwords, as if none had been given.
// Mutations of the seed that keep its salt still reach the decryption.
const std::vector<std::string> kPasswords{"not the password", "fuzz table password"};

// The schema probe stops a storage library stuck on a file well within the fuzzer's own
// timeout (2 s), so such a file counts as damaged here, as in the program.
const engine::SessionOptions kOptions{.busyTimeoutMs = 100, .schemaProbeSpareMs = 1000};

struct Sessions {
    engine::Session keyed{kOptions};
    engine::Session bare{kOptions};
    engine::Salt seedSalt{};
};

Sessions* sessions;
const fuzz::ScratchFolder folder;

void readAndLocate(engine::Session& session) {
    Table table("Table1", session, kFile, credentials::definition());
    table.open();
    std::vector<QStringList> keys;
    for (table.first(); !table.eof(); table.next()) {
        QStringList key;
        for (int field = 0; field < 4; ++field) {
            key << table.field(field).asString();
        }
        keys.push_back(key);
    }
    for (const QStringList& key : keys) {
        table.Locate(credentials::kLocateKey, key);
        table.Locate(credentials::kLocateKey, key, {.caseInsensitive = true, .partialKey = true});
    }
}

void openAsTheProgramDoes(engine::Session& session) {
    try {
        readAndLocate(session);
    } catch (const engine::EngineError& error) {
        if (error.code() == engine::ErrorCode::StorageFailure) {
            fuzz::violated("the file made the storage library fail: " + error.message());
        }
    } catch (const DatabaseError&) {
    }
}

void removeCompanions() {
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        unlink((std::string(kFile) + suffix).c_str());
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const fuzz::InsideFolder inside(folder);
    sessions = new Sessions;
    for (const auto& password : kPasswords) {
        sessions->keyed.addPassword(password);
    }
    const auto salt = engine::readSalt(VELTROP_PROTECTED_SEED);
    if (!salt) {
        fuzz::violated("no protected seed at " VELTROP_PROTECTED_SEED);
    }
    sessions->seedSalt = *salt;
    testing::writeFileBytes(kFile, testing::readFileBytes(VELTROP_PROTECTED_SEED));
    sessions->keyed.openTable(kFile, engine::OpenMode::ReadOnly);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const bool seedSalt = size >= engine::kSaltSize &&
                          std::memcmp(data, sessions->seedSalt.data(), engine::kSaltSize) == 0;
    engine::Session& session = seedSalt ? sessions->keyed : sessions->bare;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const fuzz::InsideFolder inside(folder);
    for (const mode_t mode : {0600, 0400}) {
        chmod(kFile, 0600);
        removeCompanions();
        testing::writeFileBytes(kFile, bytes);
        chmod(kFile, mode);
        openAsTheProgramDoes(session);
        if (testing::readFileBytes(kFile) != bytes) {
            fuzz::violated("opening and reading the table changed its file");
        }
    }
    return 0;
}
