#include "table_tool/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "table_tool/tool_error.h"

namespace veltrop::table_tool {

OutputFile::OutputFile(const std::string& name, bool replace)
    : name_(name), replace_(replace), stream_(stdout) {
    if (name_.empty()) {
        return;
    }
    struct stat info {};
    if (!replace_ && lstat(name_.c_str(), &info) == 0) {
        throw ToolError(name_ + " already exists; give --force to replace it, or another name");
    }
    aside_ = name_ + ".part-XXXXXX";
    const int fd = mkstemp(aside_.data());
    if (fd < 0) {
        fail("cannot create");
    }
    stream_ = fdopen(fd, "w");
    if (!stream_) {
        close(fd);
        unlink(aside_.c_str());
        fail("cannot create");
    }
}

OutputFile::~OutputFile() {
    if (stream_ && stream_ != stdout) {
        std::fclose(stream_);
        unlink(aside_.c_str());
    }
}

void OutputFile::fail(const std::string& what) const {
    const std::string reason = std::strerror(errno);
    throw ToolError(name_ + ": " + what + " (" + reason + "); nothing was written");
}

void OutputFile::finish() {
    if (std::fflush(stream_) != 0) {
        fail("cannot write");
    }
    if (stream_ == stdout) {
        return;
    }
    if (fsync(fileno(stream_)) != 0) {
        fail("cannot write");
    }
    std::fclose(stream_);
    stream_ = nullptr;
    const int placed =
        replace_ ? rename(aside_.c_str(), name_.c_str()) : link(aside_.c_str(), name_.c_str());
    const int placeErrno = errno;
    unlink(aside_.c_str());
    if (placed != 0) {
        errno = placeErrno;
        if (errno == EEXIST) {
            throw ToolError(name_ + " already exists; give --force to replace it, or another name");
        }
        fail("cannot create");
    }
}

}  // namespace veltrop::table_tool
