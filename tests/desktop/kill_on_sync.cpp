// Preloaded into the program by a test: kills it with SIGKILL at the moment it makes
// the table file itself durable for the Nth time, which is inside a save after the
// journal is on disk and the new pages are written, before the journal goes. A point
// in the save, not a moment in time.
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool isTheTable(int fd) {
    const char* name = std::getenv("VELTROP_KILL_ON_SYNC");
    if (!name) {
        return false;
    }
    char path[4096];
    const ssize_t size =
        readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path - 1);
    if (size <= 0) {
        return false;
    }
    path[size] = '\0';
    const std::string suffix = std::string("/") + name;
    return size >= static_cast<ssize_t>(suffix.size()) &&
           std::strcmp(path + size - suffix.size(), suffix.c_str()) == 0;
}

void killAtTheNthSync(int fd) {
    static int seen = 0;
    const char* count = std::getenv("VELTROP_KILL_ON_SYNC_COUNT");
    if (isTheTable(fd) && ++seen >= (count ? std::atoi(count) : 1)) {
        raise(SIGKILL);
    }
}

template <typename Call>
Call next(const char* name) {
    return reinterpret_cast<Call>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int fsync(int fd) {
    killAtTheNthSync(fd);
    static auto real = next<int (*)(int)>("fsync");
    return real(fd);
}

extern "C" int fdatasync(int fd) {
    killAtTheNthSync(fd);
    static auto real = next<int (*)(int)>("fdatasync");
    return real(fd);
}
