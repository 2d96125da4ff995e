#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/table_file.h"

namespace veltrop::engine {

// The record locks of one table file, shared by every TableFile of this process open
// on it. Other processes are kept out by open-file-description locks on bytes far past
// the storage library's own lock bytes; the kernel drops them when the holder dies.
// Those locks are per open file description, so within this process a map tells
// which holder has which record.
// Where the lock byte of a record lies in the table file.
off_t recordLockOffset(RecordNumber number);
// Every program with the table open holds a shared lock on this byte, just below the
// record locks; whoever rewrites the whole file needs it alone.
off_t inUseLockOffset();
// Takes (F_RDLCK, F_WRLCK) or drops (F_UNLCK) the open-file-description lock on one
// byte, without waiting: false when another holder has it.
bool lockByte(int fd, off_t offset, short type);
// Whether another holder has a lock on the byte that a write lock would meet.
bool byteLockedElsewhere(int fd, off_t offset);

class RecordLockRegistry {
public:
    // The registry for the file, created on first use, holding the file's shared "in use"
    // lock. Fails with TableLocked while another program rewrites the file, and with the
    // engine's error when the file cannot be opened.
    static std::shared_ptr<RecordLockRegistry> forFile(const std::string& fileName);

    RecordLockRegistry(int fd, dev_t device, ino_t inode);
    ~RecordLockRegistry();
    RecordLockRegistry(const RecordLockRegistry&) = delete;
    RecordLockRegistry& operator=(const RecordLockRegistry&) = delete;

    // False when another holder, here or in another process, has the record.
    bool tryLock(RecordNumber number, const void* holder);
    void unlock(RecordNumber number, const void* holder);
    bool heldBy(RecordNumber number, const void* holder) const;
    // The file the registry holds, which the name may no longer lead to.
    bool isFile(dev_t device, ino_t inode) const { return device == device_ && inode == inode_; }
    // Whether the name still leads to the file the registry holds, and that file is
    // still linked: a sync service or a restore may have put another in its place.
    bool isNamedBy(const std::string& fileName) const;
    std::vector<RecordNumber> heldByHolder(const void* holder) const;

private:
    bool setSystemLock(RecordNumber number, short type);

    int fd_;
    dev_t device_;
    ino_t inode_;
    pid_t owner_;
    std::map<RecordNumber, const void*> holders_;
};

}  // namespace veltrop::engine
