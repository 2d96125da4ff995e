#include "engine/journal_vfs.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string_view>

#include "engine/state_folder.h"

namespace veltrop::engine {

namespace {

constexpr const char* kVfsName = "veltrop-journal";
constexpr std::string_view kJournalSuffix = "-journal";

// A table file opened through this layer, in front of the system layer's own file.
struct ShimFile {
    sqlite3_file base;
    std::string* path;
    std::string* identity;
    sqlite3_file* below() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};

// By path: the table file that last took a lock. Two connections may have files of one
// name open (the old, replaced file and the new one); the journal wanted is always the
// one of the file that locks just before, since the program runs on one thread.
std::map<std::string, ShimFile*>& lastLocked() {
    static auto* files = new std::map<std::string, ShimFile*>;
    return *files;
}

sqlite3_vfs* below(sqlite3_vfs* vfs) {
    return static_cast<sqlite3_vfs*>(vfs->pAppData);
}

// The device, inode and birth time of the file the path leads to now.
std::string identityOf(const std::string& path) {
    struct statx info {};
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_INO | STATX_BTIME, &info) != 0) {
        return {};
    }
    char text[96];
    std::snprintf(text, sizeof text, "%x.%x.%llx.%llx.%x", info.stx_dev_major, info.stx_dev_minor,
                  static_cast<unsigned long long>(info.stx_ino),
                  (info.stx_mask & STATX_BTIME)
                      ? static_cast<unsigned long long>(info.stx_btime.tv_sec)
                      : 0ULL,
                  (info.stx_mask & STATX_BTIME) ? info.stx_btime.tv_nsec : 0U);
    return text;
}

// The journal's name in the journal folder, or the name as given when it is no table
// journal of ours or the folder cannot be made.
std::string journalName(const char* name) {
    if (!name) {
        return {};
    }
    const std::string given = name;
    if (given.size() <= kJournalSuffix.size() ||
        given.compare(given.size() - kJournalSuffix.size(), kJournalSuffix.size(),
                      kJournalSuffix) != 0) {
        return given;
    }
    const auto table = lastLocked().find(given.substr(0, given.size() - kJournalSuffix.size()));
    if (table == lastLocked().end() || table->second->identity->empty()) {
        return given;
    }
    const std::string folder = journalFolder();
    if (!makeFolders(folder)) {
        return given;
    }
    return folder + "/" + *table->second->identity + std::string(kJournalSuffix);
}

// The system layer gives a new journal the owner and mode of the file whose name it
// continues; here that is an empty stand-in for the table, readable by its owner only.
void makeStandIn(const std::string& journal) {
    const std::string standIn = journal.substr(0, journal.size() - kJournalSuffix.size());
    const int fd = open(standIn.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
        close(fd);
    }
}

// The table file's methods: the system layer's, noting which file locks.
int fileClose(sqlite3_file* file) {
    auto* table = reinterpret_cast<ShimFile*>(file);
    const int rc = table->below()->pMethods->xClose(table->below());
    const auto found = lastLocked().find(*table->path);
    if (found != lastLocked().end() && found->second == table) {
        lastLocked().erase(found);
    }
    delete table->path;
    delete table->identity;
    return rc;
}
int fileLock(sqlite3_file* file, int level) {
    auto* table = reinterpret_cast<ShimFile*>(file);
    lastLocked()[*table->path] = table;
    return table->below()->pMethods->xLock(table->below(), level);
}
int fileCheckReserved(sqlite3_file* file, int* reserved) {
    auto* table = reinterpret_cast<ShimFile*>(file);
    lastLocked()[*table->path] = table;
    return table->below()->pMethods->xCheckReservedLock(table->below(), reserved);
}

const sqlite3_io_methods kTableMethods = {
    3,
    fileClose,
    [](sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
        sqlite3_file* real = reinterpret_cast<ShimFile*>(f)->below();
        return real->pMethods->xRead(real, buffer, amount, offset);
    },
    [](sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
        sqlite3_file* real = reinterpret_cast<ShimFile*>(f)->below();
        return real->pMethods->xWrite(real, buffer, amount, offset);
    },
    [](sqlite3_file* f, sqlite3_int64 size) {
        sqlite3_file* real = reinterpret_cast<ShimFile*>(f)->below();
        return real->pMethods->xTruncate(real, size);
    },
    [](sqlite3_file* f, int flags) {
        sqlite3_file* real = reinterpret_cast<ShimFile*>(f)->below();
        return real->pMethods->xSync(real, flags);
    },
    [](sqlite3_file* f, sqlite3_int64* size) {
        sqlite3_file* real = reinterpret_cast<ShimFile*>(f)->below();
        return real->pMethods->xFileSize(real, size);
    },
    fileLock,
    [](sqlite3_file* f, int level) {
        sqlite3_file* real = reinterpret_cast<ShimFile*>(f)->below();
        return real->pMethods->xUnlock(real, level);
    },
    fileCheckReserved,
    [](sqlite3_file* f, int op, void* arg) {
        sqlite3_file* real = reinterpret_cast<ShimFile*>(f)->below();
        return real->pMethods->xFileControl(real, op, arg);
    },
    [](sqlite3_file* f) {
        sqlite3_file* real = reinterpret_cast<ShimFile*>(f)->below();
        return real->pMethods->xSectorSize(real);
    },
    [](sqlite3_file* f) {
        sqlite3_file* real = reinterpret_cast<ShimFile*>(f)->below();
        return real->pMethods->xDeviceCharacteristics(real);
    },
    [](sqlite3_file* f, int page, int size, int extend, void volatile** memory) {
        sqlite3_file* real = reinterpret_cast<ShimFile*>(f)->below();
        return real->pMethods->xShmMap(real, page, size, extend, memory);
    },
    [](sqlite3_file* f, int offset, int count, int flags) {
        sqlite3_file* real = reinterpret_cast<ShimFile*>(f)->below();
        return real->pMethods->xShmLock(real, offset, count, flags);
    },
    [](sqlite3_file* f) {
        sqlite3_file* real = reinterpret_cast<ShimFile*>(f)->below();
        real->pMethods->xShmBarrier(real);
    },
    [](sqlite3_file* f, int remove) {
        sqlite3_file* real = reinterpret_cast<ShimFile*>(f)->below();
        return real->pMethods->xShmUnmap(real, remove);
    },
    [](sqlite3_file* f, sqlite3_int64 offset, int amount, void** page) {
        sqlite3_file* real = reinterpret_cast<ShimFile*>(f)->below();
        return real->pMethods->xFetch(real, offset, amount, page);
    },
    [](sqlite3_file* f, sqlite3_int64 offset, void* page) {
        sqlite3_file* real = reinterpret_cast<ShimFile*>(f)->below();
        return real->pMethods->xUnfetch(real, offset, page);
    },
};

int vfsOpen(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    if (flags & SQLITE_OPEN_MAIN_JOURNAL) {
        // The system layer keeps the name it is given for as long as the file is open.
        static auto* names = new std::set<std::string>;
        const std::string& journal = *names->insert(journalName(name)).first;
        if (journal != name) {
            makeStandIn(journal);
        }
        return below(vfs)->xOpen(below(vfs), journal.c_str(), file, flags, outFlags);
    }
    if (!(flags & SQLITE_OPEN_MAIN_DB) || !name) {
        return below(vfs)->xOpen(below(vfs), name, file, flags, outFlags);
    }
    auto* table = reinterpret_cast<ShimFile*>(file);
    table->base.pMethods = nullptr;
    const int rc = below(vfs)->xOpen(below(vfs), name, table->below(), flags, outFlags);
    if (rc != SQLITE_OK) {
        return rc;
    }
    table->path = new std::string(name);
    table->identity = new std::string(identityOf(name));
    table->base.pMethods = &kTableMethods;
    return rc;
}

int vfsDelete(sqlite3_vfs* vfs, const char* name, int syncDirectory) {
    const std::string journal = journalName(name);
    const int rc = below(vfs)->xDelete(below(vfs), journal.c_str(), syncDirectory);
    if (rc == SQLITE_OK && journal != name) {
        unlink(journal.substr(0, journal.size() - kJournalSuffix.size()).c_str());
    }
    return rc;
}

int vfsAccess(sqlite3_vfs* vfs, const char* name, int flags, int* result) {
    return below(vfs)->xAccess(below(vfs), journalName(name).c_str(), flags, result);
}

}  // namespace

std::string journalFolder() {
    return stateFolder() + "/journals";
}

void useJournalFolder() {
    static const bool registered = [] {
        sqlite3_vfs* system = sqlite3_vfs_find(nullptr);
        static sqlite3_vfs vfs = *system;
        vfs.szOsFile = static_cast<int>(sizeof(ShimFile)) + system->szOsFile;
        vfs.zName = kVfsName;
        vfs.pAppData = system;
        vfs.pNext = nullptr;
        vfs.xOpen = vfsOpen;
        vfs.xDelete = vfsDelete;
        vfs.xAccess = vfsAccess;
        vfs.xFullPathname = [](sqlite3_vfs* self, const char* name, int size, char* out) {
            return below(self)->xFullPathname(below(self), name, size, out);
        };
        return sqlite3_vfs_register(&vfs, 1) == SQLITE_OK;
    }();
    (void)registered;
}

}  // namespace veltrop::engine
