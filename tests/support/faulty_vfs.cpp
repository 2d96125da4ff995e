#include "support/faulty_vfs.h"

#include <sqlite3.h>

#include <cstring>
#include <stdexcept>

#include "engine/journal_vfs.h"

namespace veltrop::testing {

namespace {

// Our file object; the underlying layer's file object follows it in the same block.
struct FaultyFile {
    sqlite3_file base;
    const char* name;  // valid until xClose, as the storage library promises

    sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};

FaultyFile* faulty(sqlite3_file* file) {
    return reinterpret_cast<FaultyFile*>(file);
}
sqlite3_file* real(sqlite3_file* file) {
    return faulty(file)->real();
}
sqlite3_vfs* underlying(sqlite3_vfs* vfs) {
    return static_cast<sqlite3_vfs*>(vfs->pAppData);
}

std::string baseName(const char* path) {
    if (!path) {
        return "(temporary file)";
    }
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

}  // namespace

struct FaultyVfsMethods {
    using Point = FaultyVfs::Point;

    static int fault(Point point, const char* name) {
        return FaultyVfs::instance().pass(point, name);
    }

    static int close(sqlite3_file* file) { return real(file)->pMethods->xClose(real(file)); }
    static int read(sqlite3_file* file, void* data, int amount, sqlite3_int64 offset) {
        return real(file)->pMethods->xRead(real(file), data, amount, offset);
    }
    static int write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
        if (int rc = fault(Point::Write, faulty(file)->name)) {
            return rc;
        }
        return real(file)->pMethods->xWrite(real(file), data, amount, offset);
    }
    static int truncate(sqlite3_file* file, sqlite3_int64 size) {
        if (int rc = fault(Point::Truncate, faulty(file)->name)) {
            return rc;
        }
        return real(file)->pMethods->xTruncate(real(file), size);
    }
    static int sync(sqlite3_file* file, int flags) {
        if (int rc = fault(Point::Sync, faulty(file)->name)) {
            return rc;
        }
        return real(file)->pMethods->xSync(real(file), flags);
    }
    static int fileSize(sqlite3_file* file, sqlite3_int64* size) {
        return real(file)->pMethods->xFileSize(real(file), size);
    }
    static int lock(sqlite3_file* file, int level) {
        return real(file)->pMethods->xLock(real(file), level);
    }
    static int unlock(sqlite3_file* file, int level) {
        return real(file)->pMethods->xUnlock(real(file), level);
    }
    static int checkReservedLock(sqlite3_file* file, int* result) {
        return real(file)->pMethods->xCheckReservedLock(real(file), result);
    }
    static int fileControl(sqlite3_file* file, int op, void* arg) {
        return real(file)->pMethods->xFileControl(real(file), op, arg);
    }
    static int sectorSize(sqlite3_file* file) {
        return real(file)->pMethods->xSectorSize(real(file));
    }
    static int deviceCharacteristics(sqlite3_file* file) {
        return real(file)->pMethods->xDeviceCharacteristics(real(file));
    }
    static int shmMap(sqlite3_file* file, int page, int pageSize, int extend,
                      void volatile** memory) {
        if (real(file)->pMethods->iVersion < 2) {
            return SQLITE_IOERR_SHMMAP;
        }
        return real(file)->pMethods->xShmMap(real(file), page, pageSize, extend, memory);
    }
    static int shmLock(sqlite3_file* file, int offset, int n, int flags) {
        if (real(file)->pMethods->iVersion < 2) {
            return SQLITE_IOERR_SHMLOCK;
        }
        return real(file)->pMethods->xShmLock(real(file), offset, n, flags);
    }
    static void shmBarrier(sqlite3_file* file) {
        if (real(file)->pMethods->iVersion >= 2) {
            real(file)->pMethods->xShmBarrier(real(file));
        }
    }
    static int shmUnmap(sqlite3_file* file, int deleteFlag) {
        if (real(file)->pMethods->iVersion < 2) {
            return SQLITE_OK;
        }
        return real(file)->pMethods->xShmUnmap(real(file), deleteFlag);
    }
    static int fetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** memory) {
        if (real(file)->pMethods->iVersion < 3) {
            *memory = nullptr;
            return SQLITE_OK;
        }
        return real(file)->pMethods->xFetch(real(file), offset, amount, memory);
    }
    static int unfetch(sqlite3_file* file, sqlite3_int64 offset, void* memory) {
        if (real(file)->pMethods->iVersion < 3) {
            return SQLITE_OK;
        }
        return real(file)->pMethods->xUnfetch(real(file), offset, memory);
    }

    static constexpr sqlite3_io_methods kFileMethods = {
        3,
        close,
        read,
        write,
        truncate,
        sync,
        fileSize,
        lock,
        unlock,
        checkReservedLock,
        fileControl,
        sectorSize,
        deviceCharacteristics,
        shmMap,
        shmLock,
        shmBarrier,
        shmUnmap,
        fetch,
        unfetch,
    };

    static int open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags,
                    int* outFlags) {
        FaultyFile* self = faulty(file);
        self->base.pMethods = nullptr;
        self->name = name;
        if (flags & SQLITE_OPEN_CREATE) {
            if (int rc = fault(Point::Create, name)) {
                return rc;
            }
        }
        sqlite3_vfs* below = underlying(vfs);
        const int rc = below->xOpen(below, name, self->real(), flags, outFlags);
        if (self->real()->pMethods) {
            self->base.pMethods = &kFileMethods;
        }
        return rc;
    }
    static int remove(sqlite3_vfs* vfs, const char* name, int syncDirectory) {
        if (int rc = fault(Point::Delete, name)) {
            return rc;
        }
        return underlying(vfs)->xDelete(underlying(vfs), name, syncDirectory);
    }
    static int access(sqlite3_vfs* vfs, const char* name, int flags, int* result) {
        return underlying(vfs)->xAccess(underlying(vfs), name, flags, result);
    }
    static int fullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
        return underlying(vfs)->xFullPathname(underlying(vfs), name, size, out);
    }
    static void* dlOpen(sqlite3_vfs* vfs, const char* name) {
        return underlying(vfs)->xDlOpen(underlying(vfs), name);
    }
    static void dlError(sqlite3_vfs* vfs, int size, char* message) {
        underlying(vfs)->xDlError(underlying(vfs), size, message);
    }
    static void (*dlSym(sqlite3_vfs* vfs, void* library, const char* symbol))(void) {
        return underlying(vfs)->xDlSym(underlying(vfs), library, symbol);
    }
    static void dlClose(sqlite3_vfs* vfs, void* library) {
        underlying(vfs)->xDlClose(underlying(vfs), library);
    }
    static int randomness(sqlite3_vfs* vfs, int size, char* out) {
        return underlying(vfs)->xRandomness(underlying(vfs), size, out);
    }
    static int sleep(sqlite3_vfs* vfs, int microseconds) {
        return underlying(vfs)->xSleep(underlying(vfs), microseconds);
    }
    static int currentTime(sqlite3_vfs* vfs, double* now) {
        return underlying(vfs)->xCurrentTime(underlying(vfs), now);
    }
    static int lastError(sqlite3_vfs* vfs, int size, char* message) {
        return underlying(vfs)->xGetLastError(underlying(vfs), size, message);
    }
    static int currentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* now) {
        return underlying(vfs)->xCurrentTimeInt64(underlying(vfs), now);
    }
    static int setSystemCall(sqlite3_vfs* vfs, const char* name, sqlite3_syscall_ptr call) {
        return underlying(vfs)->xSetSystemCall(underlying(vfs), name, call);
    }
    static sqlite3_syscall_ptr getSystemCall(sqlite3_vfs* vfs, const char* name) {
        return underlying(vfs)->xGetSystemCall(underlying(vfs), name);
    }
    static const char* nextSystemCall(sqlite3_vfs* vfs, const char* name) {
        return underlying(vfs)->xNextSystemCall(underlying(vfs), name);
    }

    static void registerOnce() {
        // Over the program's own layer, so that its journals go where the program's do.
        engine::useJournalFolder();
        sqlite3_vfs* below = sqlite3_vfs_find(nullptr);
        if (!below || below->iVersion < 3) {
            throw std::runtime_error("no default storage layer of version 3 to wrap");
        }
        static sqlite3_vfs vfs = {
            3,
            static_cast<int>(sizeof(FaultyFile)) + below->szOsFile,
            below->mxPathname,
            nullptr,
            FaultyVfs::kName,
            below,
            open,
            remove,
            access,
            fullPathname,
            dlOpen,
            dlError,
            dlSym,
            dlClose,
            randomness,
            sleep,
            currentTime,
            lastError,
            currentTimeInt64,
            setSystemCall,
            getSystemCall,
            nextSystemCall,
        };
        if (sqlite3_vfs_register(&vfs, 0) != SQLITE_OK) {
            throw std::runtime_error("cannot register the faulty storage layer");
        }
    }
};

FaultyVfs::FaultyVfs() {
    FaultyVfsMethods::registerOnce();
}

FaultyVfs& FaultyVfs::instance() {
    static FaultyVfs vfs;
    return vfs;
}

void FaultyVfs::arm(int point, FaultMode mode, FaultKind kind) {
    if (point < 1) {
        throw std::invalid_argument("write points count from 1");
    }
    resetCount();
    armedAt_ = point;
    mode_ = mode;
    kind_ = kind;
}

void FaultyVfs::disarm() {
    armedAt_ = 0;
}

void FaultyVfs::resetCount() {
    log_.clear();
    faults_ = 0;
}

int FaultyVfs::pass(Point point, const char* fileName) {
    static constexpr const char* kVerbs[] = {"write", "sync", "truncate", "create", "delete"};
    static constexpr int kIoErrors[] = {SQLITE_IOERR_WRITE, SQLITE_IOERR_FSYNC,
                                        SQLITE_IOERR_TRUNCATE, SQLITE_CANTOPEN,
                                        SQLITE_IOERR_DELETE};
    const auto index = static_cast<int>(point);
    log_.push_back(std::string(kVerbs[index]) + " " + baseName(fileName));
    const int count = writePoints();
    const bool fails =
        armedAt_ > 0 && (mode_ == FaultMode::Persistent ? count >= armedAt_ : count == armedAt_);
    if (!fails) {
        return SQLITE_OK;
    }
    ++faults_;
    return kind_ == FaultKind::DiskFull ? SQLITE_FULL : kIoErrors[index];
}

}  // namespace veltrop::testing
