#include "engine/file_owner.h"

#include <sys/stat.h>
#include <unistd.h>

#include "engine/file_probe.h"

namespace veltrop::engine {

bool belongsToAnotherUser(const std::string& fileName) {
    struct stat info {};
    return stat(fileName.c_str(), &info) == 0 && info.st_uid != geteuid();
}

std::vector<std::string> ownerWarnings(const std::string& fileName) {
    struct stat info {};
    if (stat(fileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    std::vector<std::string> warnings;
    if (info.st_uid != geteuid()) {
        warnings.push_back(fileName + " belongs to another user (uid " +
                           std::to_string(info.st_uid) + "), who can change or replace it");
    }
    if ((info.st_mode & (S_IRGRP | S_IROTH)) != 0 && info.st_size > 0 &&
        probeFile(fileName).kind == FileKind::Plain) {
        warnings.push_back(fileName +
                           " is not protected and other users can read it; protect it with a "
                           "password, or let only yourself read it (chmod 600)");
    }
    return warnings;
}

}  // namespace veltrop::engine
