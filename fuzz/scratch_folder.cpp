#include "scratch_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace veltrop::fuzz {

ScratchFolder::ScratchFolder() {
    std::string pattern = "/dev/shm/veltrop-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        violated("cannot make a scratch folder in /dev/shm");
    }
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

InsideFolder::InsideFolder(const ScratchFolder& folder)
    : previous_(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (previous_ < 0 || chdir(folder.path().c_str()) != 0) {
        violated("cannot enter " + folder.path());
    }
}

InsideFolder::~InsideFolder() {
    if (fchdir(previous_) != 0) {
        violated("cannot return to the fuzzer's working directory");
    }
    close(previous_);
}

void violated(const std::string& what) {
    std::fprintf(stderr, "fuzz target: %s\n", what.c_str());
    std::abort();
}

}  // namespace veltrop::fuzz
