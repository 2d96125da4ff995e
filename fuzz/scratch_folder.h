#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace veltrop::fuzz {

// A fresh folder in memory for the files a target writes for every input: they cost no
// disk and are gone after the run.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The folder is the working directory while this lives, as the table's folder is for the
// program. Only for the length of one input: the fuzzer reads its inputs by relative names.
class InsideFolder {
public:
    explicit InsideFolder(const ScratchFolder& folder);
    ~InsideFolder();
    InsideFolder(const InsideFolder&) = delete;
    InsideFolder& operator=(const InsideFolder&) = delete;

private:
    int previous_;
};

// Replaces the file's contents, keeping the file itself (and so its inode) when it is there.
void writeBytes(const std::string& fileName, const std::uint8_t* data, std::size_t size);
void writeBytes(const std::string& fileName, const std::string& bytes);
std::string readBytes(const std::string& fileName);

// Stops the run with a message: what a target found is not what the code promises.
[[noreturn]] void violated(const std::string& what);

}  // namespace veltrop::fuzz
