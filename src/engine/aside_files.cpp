#include "engine/aside_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "engine/error.h"
#include "engine/record_lock_registry.h"

namespace veltrop::engine {

namespace {

constexpr std::size_t kUniqueCharacters = 6;  // what mkstemp puts in place of XXXXXX

void syncDirectory(const std::string& fileName) {
    const int fd = open(directoryOf(fileName).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

std::string directoryOf(const std::string& fileName) {
    const auto slash = fileName.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : fileName.substr(0, slash);
}

std::string baseName(const std::string& fileName) {
    const auto slash = fileName.rfind('/');
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

int createAsideFile(const std::string& fileName, const char* marker, std::string& path) {
    path = fileName + marker + "XXXXXX";
    return mkstemp(path.data());
}

bool putInPlace(const std::string& aside, const std::string& fileName, bool replace) {
    const bool placed = replace ? rename(aside.c_str(), fileName.c_str()) == 0
                                : link(aside.c_str(), fileName.c_str()) == 0;
    const int placeErrno = errno;
    removeAsideFile(aside);
    if (placed) {
        syncDirectory(fileName);
    }
    errno = placeErrno;
    return placed;
}

void removeAsideFile(const std::string& path) {
    unlink((path + "-journal").c_str());
    unlink(path.c_str());
}

void removeMarkedFiles(const std::string& directory, const std::string& prefix,
                       const std::string& marker) {
    DIR* entries = opendir(directory.c_str());
    if (!entries) {
        return;
    }
    while (const dirent* entry = readdir(entries)) {
        const std::string name = entry->d_name;
        const auto at = name.size() >= marker.size() + kUniqueCharacters
                            ? name.size() - marker.size() - kUniqueCharacters
                            : std::string::npos;
        if (at != std::string::npos && name.compare(at, marker.size(), marker) == 0 &&
            (prefix.empty() ? at > 0 : at == prefix.size() && name.rfind(prefix, 0) == 0)) {
            removeAsideFile(directory + "/" + name);
        }
    }
    closedir(entries);
}

void removeLeftovers(const std::string& fileName) {
    const std::string directory = directoryOf(fileName);
    removeMarkedFiles(directory, {}, kExportMarker);
    if (access(fileName.c_str(), F_OK) != 0) {
        return;
    }
    try {
        // Held while removing, so that no rewrite can begin to build its file meanwhile;
        // it fails while one runs, whose file must stay.
        const auto inUse = RecordLockRegistry::forFile(fileName);
        removeMarkedFiles(directory, baseName(fileName), kRewriteMarker);
    } catch (const EngineError&) {
    }
}

}  // namespace veltrop::engine
