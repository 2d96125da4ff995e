#include "table_tool/output_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "engine/aside_files.h"
#include "engine/file_probe.h"
#include "engine/test_point.h"
#include "table_tool/tool_error.h"

namespace veltrop::table_tool {

namespace {

std::string uniqueCharacters() {
    static constexpr char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::array<unsigned char, 6> random{};
    if (getrandom(random.data(), random.size(), 0) != static_cast<ssize_t>(random.size())) {
        random.fill(0);
    }
    std::string text;
    for (const unsigned char byte : random) {
        text += kAlphabet[byte % (sizeof kAlphabet - 1)];
    }
    return text;
}

}  // namespace

OutputFile::OutputFile(const std::string& name, bool replace, const std::string& tableName)
    : name_(name), replace_(replace), stream_(stdout) {
    if (name_.empty()) {
        return;
    }
    refuseToReplace(tableName);
    engine::removeMarkedFiles(engine::directoryOf(name_), engine::baseName(name_),
                              engine::kExportMarker);
    createAside();
}

OutputFile::~OutputFile() {
    if (stream_ && stream_ != stdout) {
        std::fclose(stream_);
        if (!aside_.empty()) {
            unlink(aside_.c_str());
        }
    }
}

void OutputFile::refuseToReplace(const std::string& tableName) const {
    struct stat output {};
    if (stat(name_.c_str(), &output) != 0) {
        return;
    }
    struct stat table {};
    if (stat(tableName.c_str(), &table) == 0 && output.st_dev == table.st_dev &&
        output.st_ino == table.st_ino) {
        throw ToolError(name_ + " is the table being exported; choose another name");
    }
    if (engine::startsWithPlainHeader(name_)) {
        throw ToolError(name_ + " is a database file, which an export never replaces; choose " +
                        "another name");
    }
    if (!replace_) {
        throw ToolError(name_ + " already exists; give --force to replace it, or another name");
    }
}

void OutputFile::createAside() {
    int fd = open(engine::directoryOf(name_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        fd = engine::createAsideFile(name_, engine::kExportMarker, aside_);
        if (fd < 0) {
            aside_.clear();
            fail("cannot create");
        }
    }
    stream_ = fdopen(fd, "w");
    if (!stream_) {
        close(fd);
        if (!aside_.empty()) {
            unlink(aside_.c_str());
        }
        fail("cannot create");
    }
}

void OutputFile::fail(const std::string& what) const {
    const std::string reason = std::strerror(errno);
    throw ToolError(name_ + ": " + what + " (" + reason + "); nothing was written");
}

void OutputFile::failToPlace() const {
    if (errno == EEXIST) {
        throw ToolError(name_ + " already exists; give --force to replace it, or another name");
    }
    fail("cannot create");
}

// Gives the nameless file a name: its own when nothing is to be replaced, else a unique
// one beside it, from which a rename replaces the old file at once.
std::string OutputFile::linkAside(int fd) const {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (!replace_) {
        return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name_.c_str(), AT_SYMLINK_FOLLOW) == 0
                   ? name_
                   : std::string();
    }
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string aside = name_ + engine::kExportMarker + uniqueCharacters();
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, aside.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return aside;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return {};
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
    engine::reachPoint("export-written");
    std::string aside = aside_;
    if (aside.empty()) {
        aside = linkAside(fileno(stream_));
        if (aside.empty()) {
            failToPlace();
        }
        engine::reachPoint("export-linked");
    }
    std::fclose(stream_);
    stream_ = nullptr;
    if (aside == name_) {
        return;
    }
    if (!engine::putInPlace(aside, name_, replace_)) {
        failToPlace();
    }
}

}  // namespace veltrop::table_tool
