#include "engine/conflict_copies.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>

namespace veltrop::engine {

std::vector<std::string> findConflictCopies(const std::string& fileName) {
    const auto slash = fileName.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : fileName.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const auto dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    const std::string patterns[] = {
        stem + ".sync-conflict-*" + extension,
        stem + " (conflicted copy *)" + extension,
        stem + " (*'s conflicted copy *)" + extension,
    };
    std::vector<std::string> copies;
    DIR* entries = opendir(folder.c_str());
    if (!entries) {
        return copies;
    }
    while (const dirent* entry = readdir(entries)) {
        const std::string path =
            (slash == std::string::npos ? std::string() : folder) + entry->d_name;
        struct stat info {};
        if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        for (const auto& pattern : patterns) {
            if (fnmatch(pattern.c_str(), entry->d_name, FNM_PERIOD) == 0) {
                copies.push_back(path);
                break;
            }
        }
    }
    closedir(entries);
    std::sort(copies.begin(), copies.end());
    return copies;
}

}  // namespace veltrop::engine
