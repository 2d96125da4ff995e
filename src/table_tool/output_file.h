#pragma once

#include <cstdio>
#include <string>

namespace veltrop::table_tool {

// Where an export goes: standard output, or a file readable and writable by its owner
// only that has no name while it is written (a named file aside where the file system
// cannot do that) and takes its name only when complete. An existing file of that name
// is replaced only when asked to, and never when it is the table being read or any
// other database file.
class OutputFile {
public:
    // An empty name means standard output. Fails with ToolError.
    OutputFile(const std::string& name, bool replace, const std::string& tableName);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::FILE* stream() const { return stream_; }
    // Flushes, syncs and puts the file in place; fails with ToolError.
    void finish();

private:
    [[noreturn]] void fail(const std::string& what) const;
    [[noreturn]] void failToPlace() const;
    void refuseToReplace(const std::string& tableName) const;
    void createAside();
    std::string linkAside(int fd) const;

    std::string name_;
    std::string aside_;  // empty while the file has no name
    bool replace_;
    std::FILE* stream_;
};

}  // namespace veltrop::table_tool
