#include "engine/file_probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "engine/error.h"

namespace veltrop::engine {

namespace {

constexpr std::array<char, 16> kPlainHeader{'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                            'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
// An encrypted table is a whole number of encrypted pages of this size.
constexpr long long kProtectedPageSize = 1024;

[[noreturn]] void fail(ErrorCode code, const std::string& fileName,
                       const std::string& detail = {}) {
    if (detail.empty()) {
        throw EngineError(code, fileName);
    }
    throw EngineError(code, fileName, {detail}, errno ? errno : -1);
}

}  // namespace

bool startsWithPlainHeader(const std::string& fileName) {
    // Never waits on a pipe or a device that a name may lead to.
    const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    std::array<char, 16> header{};
    const ssize_t got = read(fd, header.data(), header.size());
    close(fd);
    return got == static_cast<ssize_t>(header.size()) && header == kPlainHeader;
}

FileFacts probeFile(const std::string& fileName) {
    struct stat info {};
    if (stat(fileName.c_str(), &info) != 0) {
        if (errno == ENOENT) {
            char cwd[4096];
            if (!getcwd(cwd, sizeof cwd) && errno == ENOENT) {
                fail(ErrorCode::DirectoryNotFound, fileName);
            }
            fail(ErrorCode::TableNotFound, fileName);
        }
        fail(ErrorCode::StorageFailure, fileName, std::strerror(errno));
    }
    FileFacts facts{FileKind::NotATable,
                    (info.st_mode & 0222) != 0 && access(fileName.c_str(), W_OK) == 0,
                    static_cast<long long>(info.st_size)};
    if (!S_ISREG(info.st_mode) || facts.size == 0) {
        return facts;
    }
    if (access(fileName.c_str(), R_OK) != 0) {
        fail(ErrorCode::ReadFailed, fileName, std::strerror(errno));
    }
    if (startsWithPlainHeader(fileName)) {
        facts.kind = FileKind::Plain;
    } else if (facts.size % kProtectedPageSize == 0) {
        facts.kind = FileKind::Protected;
    }
    return facts;
}

}  // namespace veltrop::engine
