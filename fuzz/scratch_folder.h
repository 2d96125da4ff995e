#pragma once

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

// Stops the run with a message: what a target found is not what the code promises.
[[noreturn]] void violated(const std::string& what);

}  // namespace veltrop::fuzz
