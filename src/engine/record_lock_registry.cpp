#include "engine/record_lock_registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "engine/error.h"

namespace veltrop::engine {

namespace {

// Lock bytes start far beyond anything the storage library locks or a table grows to.
constexpr off_t kLockBase = off_t{1} << 62;

using FileKey = std::pair<dev_t, ino_t>;

std::map<FileKey, std::weak_ptr<RecordLockRegistry>>& registries() {
    // Never destroyed: a cursor may still close while the program exits.
    static auto* all = new std::map<FileKey, std::weak_ptr<RecordLockRegistry>>;
    return *all;
}

[[noreturn]] void failOnFile(const std::string& fileName) {
    throw EngineError(ErrorCode::StorageFailure, fileName, {std::strerror(errno)}, errno);
}

}  // namespace

off_t recordLockOffset(RecordNumber number) {
    return kLockBase + (number & (kLockBase - 1));
}

off_t inUseLockOffset() {
    return kLockBase - 1;
}

namespace {

struct flock oneByte(off_t offset, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = offset;
    lock.l_len = 1;
    return lock;
}

}  // namespace

bool lockByte(int fd, off_t offset, short type) {
    struct flock lock = oneByte(offset, type);
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool byteLockedElsewhere(int fd, off_t offset) {
    struct flock lock = oneByte(offset, F_WRLCK);
    return fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

std::shared_ptr<RecordLockRegistry> RecordLockRegistry::forFile(const std::string& fileName) {
    struct stat info {};
    if (stat(fileName.c_str(), &info) != 0) {
        failOnFile(fileName);
    }
    const FileKey key{info.st_dev, info.st_ino};
    // A child process inherits the parent's descriptor and with it the parent's locks'
    // owner; it must take locks through a descriptor of its own.
    if (auto existing = registries()[key].lock(); existing && existing->owner_ == getpid()) {
        return existing;
    }
    // Write locks need a descriptor open for writing; a file nobody may write gets
    // read-only cursors, which never lock.
    int fd = open(fileName.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        failOnFile(fileName);
    }
    // Once the lock is held nobody can put another file in this one's place, but one
    // may have done so since the name was looked up.
    struct stat held {};
    if (!lockByte(fd, inUseLockOffset(), F_RDLCK) || fstat(fd, &held) != 0 ||
        stat(fileName.c_str(), &info) != 0 || held.st_dev != info.st_dev ||
        held.st_ino != info.st_ino) {
        close(fd);
        throw EngineError(ErrorCode::TableLocked, fileName);
    }
    auto registry = std::make_shared<RecordLockRegistry>(fd, info.st_dev, info.st_ino);
    registries()[key] = registry;
    return registry;
}

RecordLockRegistry::RecordLockRegistry(int fd, dev_t device, ino_t inode)
    : fd_(fd), device_(device), inode_(inode), owner_(getpid()) {}

RecordLockRegistry::~RecordLockRegistry() {
    // Closing a descriptor drops this process's POSIX locks on the file, so this only
    // happens once every connection of this process to the file is closed.
    close(fd_);
    auto& all = registries();
    const auto found = all.find({device_, inode_});
    if (found != all.end() && found->second.expired() && owner_ == getpid()) {
        all.erase(found);
    }
}

bool RecordLockRegistry::isNamedBy(const std::string& fileName) const {
    struct stat named {};
    struct stat held {};
    return stat(fileName.c_str(), &named) == 0 && isFile(named.st_dev, named.st_ino) &&
           fstat(fd_, &held) == 0 && held.st_nlink > 0;
}

bool RecordLockRegistry::setSystemLock(RecordNumber number, short type) {
    return lockByte(fd_, recordLockOffset(number), type);
}

bool RecordLockRegistry::tryLock(RecordNumber number, const void* holder) {
    const auto found = holders_.find(number);
    if (found != holders_.end()) {
        return found->second == holder;
    }
    if (!setSystemLock(number, F_WRLCK)) {
        return false;
    }
    holders_.emplace(number, holder);
    return true;
}

void RecordLockRegistry::unlock(RecordNumber number, const void* holder) {
    const auto found = holders_.find(number);
    if (found == holders_.end() || found->second != holder) {
        return;
    }
    holders_.erase(found);
    setSystemLock(number, F_UNLCK);
}

bool RecordLockRegistry::heldBy(RecordNumber number, const void* holder) const {
    const auto found = holders_.find(number);
    return found != holders_.end() && found->second == holder;
}

std::vector<RecordNumber> RecordLockRegistry::heldByHolder(const void* holder) const {
    std::vector<RecordNumber> numbers;
    for (const auto& [number, owner] : holders_) {
        if (owner == holder) {
            numbers.push_back(number);
        }
    }
    return numbers;
}

}  // namespace veltrop::engine
