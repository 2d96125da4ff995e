#include "scratch_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

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

void writeBytes(const std::string& fileName, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out.flush()) {
        violated("cannot write " + fileName);
    }
}

void writeBytes(const std::string& fileName, const std::string& bytes) {
    writeBytes(fileName, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::string readBytes(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        violated("cannot read " + fileName);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void violated(const std::string& what) {
    std::fprintf(stderr, "fuzz target: %s\n", what.c_str());
    std::abort();
}

}  // namespace veltrop::fuzz
