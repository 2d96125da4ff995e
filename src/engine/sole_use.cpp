#include "engine/sole_use.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/error.h"
#include "engine/record_lock_registry.h"

namespace veltrop::engine {

namespace {

// A rename between opening and locking is rare; one that happens every time is another
// program rewriting the table over and over.
constexpr int kAttempts = 3;

std::function<void()>& beforeLockHook() {
    static std::function<void()> hook;
    return hook;
}

[[noreturn]] void fail(ErrorCode code, const std::string& fileName, int systemErrno = 0) {
    if (systemErrno == 0) {
        throw EngineError(code, fileName);
    }
    throw EngineError(code, fileName, {std::strerror(systemErrno)}, systemErrno);
}

// Whether the name still leads to the file open on fd.
bool leadsTo(const std::string& fileName, int fd) {
    struct stat held {};
    struct stat named {};
    return fstat(fd, &held) == 0 && stat(fileName.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace

SoleUse::SoleUse(const std::string& fileName) {
    for (int attempt = 1;; ++attempt) {
        fd_ = open(fileName.c_str(), O_RDWR | O_CLOEXEC);
        if (fd_ < 0) {
            fail(errno == ENOENT ? ErrorCode::TableNotFound : ErrorCode::ReadOnly, fileName, errno);
        }
        if (beforeLockHook()) {
            beforeLockHook()();
        }
        if (!lockByte(fd_, inUseLockOffset(), F_WRLCK)) {
            close(fd_);
            fail(ErrorCode::TableInUse, fileName);
        }
        // A lock on a file the name no longer leads to keeps nobody out of the table.
        if (leadsTo(fileName, fd_)) {
            return;
        }
        close(fd_);
        if (attempt == kAttempts) {
            fail(ErrorCode::TableLocked, fileName);
        }
    }
}

SoleUse::~SoleUse() {
    close(fd_);
}

void SoleUse::setBeforeLockHook(std::function<void()> hook) {
    beforeLockHook() = std::move(hook);
}

bool isOpenElsewhere(const std::string& fileName) {
    const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool held = byteLockedElsewhere(fd, inUseLockOffset());
    close(fd);
    return held;
}

}  // namespace veltrop::engine
