#pragma once

#include <cstdio>
#include <string>

namespace veltrop::table_tool {

// Where an export goes: standard output, or a file written aside, readable and
// writable by its owner only, that takes its name only when complete. An existing
// file of that name is replaced only when asked to.
class OutputFile {
public:
    // An empty name means standard output.
    OutputFile(const std::string& name, bool replace);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::FILE* stream() const { return stream_; }
    // Flushes, syncs and puts the file in place; fails with ToolError.
    void finish();

private:
    [[noreturn]] void fail(const std::string& what) const;

    std::string name_;
    std::string aside_;
    bool replace_;
    std::FILE* stream_;
};

}  // namespace veltrop::table_tool
