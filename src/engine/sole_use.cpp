#include "engine/sole_use.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/error.h"
#include "engine/record_lock_registry.h"

namespace veltrop::engine {

SoleUse::SoleUse(const std::string& fileName) : fd_(open(fileName.c_str(), O_RDWR | O_CLOEXEC)) {
    if (fd_ < 0) {
        const ErrorCode code = errno == ENOENT ? ErrorCode::TableNotFound : ErrorCode::ReadOnly;
        throw EngineError(code,
                          {{code, 0, "Table: " + fileName}, {code, errno, std::strerror(errno)}});
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = inUseLockOffset();
    lock.l_len = 1;
    if (fcntl(fd_, F_OFD_SETLK, &lock) != 0) {
        close(fd_);
        throw EngineError(ErrorCode::TableInUse,
                          {{ErrorCode::TableInUse, 0, "Table: " + fileName}});
    }
}

SoleUse::~SoleUse() {
    close(fd_);
}

bool isOpenElsewhere(const std::string& fileName) {
    const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = inUseLockOffset();
    lock.l_len = 1;
    const bool held = fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    close(fd);
    return held;
}

}  // namespace veltrop::engine
