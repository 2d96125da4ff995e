#include "table_tool/csv_reader.h"

#include <csv.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "table_tool/tool_error.h"
#include "table_tool/utf8_text.h"

namespace veltrop::table_tool {

namespace {

constexpr std::size_t kChunkBytes = 1 << 16;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Blanks around an unquoted field are part of its value.
int noSpace(unsigned char) {
    return 0;
}

}  // namespace

CsvReader::CsvReader(const std::string& fileName)
    : fileName_(fileName),
      fd_(open(fileName.c_str(), O_RDONLY | O_CLOEXEC)),
      parser_(new csv_parser) {
    if (fd_ < 0) {
        const std::string reason = std::strerror(errno);
        delete parser_;
        throw ToolError(fileName_ + ": cannot read it (" + reason + ")");
    }
    csv_init(parser_, CSV_STRICT | CSV_STRICT_FINI);
    csv_set_space_func(parser_, noSpace);
}

CsvReader::~CsvReader() {
    csv_free(parser_);
    delete parser_;
    close(fd_);
}

void CsvReader::fail(long line, const std::string& what) const {
    throw ToolError(fileName_ + ": line " + std::to_string(line) + ": " + what +
                    "; nothing was imported");
}

void CsvReader::noteProblem(const std::string& what) {
    if (problem_.empty()) {
        problem_ = what;
        problemLine_ = rowStart_;
    }
}

void CsvReader::takeField(void* bytes, std::size_t size, void* data) {
    auto& reader = *static_cast<CsvReader*>(data);
    reader.pendingBytes_ = 0;
    std::string_view value(bytes ? static_cast<const char*>(bytes) : "", bytes ? size : 0);
    if (!isValidUtf8(value)) {
        reader.noteProblem("a field is not valid UTF-8 text; save the file as UTF-8");
    }
    reader.rowBytes_ += value.size();
    if (reader.fields_.size() >= reader.mostFields_) {
        reader.noteProblem("more than " + std::to_string(reader.mostFields_) + " fields" +
                           (reader.headerRead_ ? std::string(", the header's count")
                                               : std::string(" in the header")));
    } else if (reader.rowBytes_ > kMostRowBytes) {
        reader.noteProblem("a row is longer than 8 MiB");
    }
    if (reader.problem_.empty()) {
        reader.fields_.emplace_back(value);
    }
}

void CsvReader::takeRowEnd(int, void* data) {
    auto& reader = *static_cast<CsvReader*>(data);
    reader.pendingBytes_ = 0;
    reader.rowBytes_ = 0;
    if (!reader.headerRead_) {
        reader.mostFields_ = reader.fields_.size();
        reader.headerRead_ = true;
    }
    reader.ready_.push_back({reader.rowStart_, std::move(reader.fields_)});
    reader.fields_.clear();
    reader.rowStart_ = reader.line_ + 1;
}

void CsvReader::checkStart(std::string_view chunk) {
    if (chunk.empty()) {
        fail(1, "the file is empty; it needs a header row and records");
    }
    if (chunk.size() >= 2 && ((chunk[0] == '\xFF' && chunk[1] == '\xFE') ||
                              (chunk[0] == '\xFE' && chunk[1] == '\xFF'))) {
        fail(1, "the file is UTF-16 text; save it as UTF-8");
    }
}

// Feeds one line at most, so that every row knows the line it started on.
void CsvReader::feed(const char* bytes, std::size_t size) {
    if (std::memchr(bytes, '\0', size)) {
        fail(line_, "the file holds NUL bytes; it is not UTF-8 text (UTF-16?)");
    }
    if (csv_parse(parser_, bytes, size, takeField, takeRowEnd, this) != size) {
        fail(rowStart_,
             "a quote in the wrong place (quotes go around a whole field, and a quote "
             "inside one is doubled)");
    }
    if (!problem_.empty()) {
        fail(problemLine_, problem_);
    }
    pendingBytes_ += size;
    if (pendingBytes_ > kMostFieldBytes) {
        fail(rowStart_, "a field is longer than 1 MiB");
    }
}

void CsvReader::readAll(const std::function<void(const CsvRow&)>& handle) {
    std::string chunk(kChunkBytes, '\0');
    bool first = true;
    for (;;) {
        const ssize_t got = read(fd_, chunk.data(), chunk.size());
        if (got < 0) {
            const std::string reason = std::strerror(errno);
            throw ToolError(fileName_ + ": cannot read it (" + reason + "); nothing was imported");
        }
        std::string_view data(chunk.data(), static_cast<std::size_t>(got));
        if (first) {
            checkStart(data);
            if (data.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
                data.remove_prefix(kUtf8Mark.size());
            }
            first = false;
        }
        if (got == 0) {
            break;
        }
        while (!data.empty()) {
            const auto end = data.find('\n');
            const std::size_t size = end == std::string_view::npos ? data.size() : end + 1;
            feed(data.data(), size);
            if (end != std::string_view::npos) {
                ++line_;
            }
            data.remove_prefix(size);
            for (const CsvRow& row : ready_) {
                handle(row);
            }
            ready_.clear();
        }
    }
    if (csv_fini(parser_, takeField, takeRowEnd, this) != 0) {
        fail(rowStart_, "a quoted field is not closed");
    }
    if (!problem_.empty()) {
        fail(problemLine_, problem_);
    }
    for (const CsvRow& row : ready_) {
        handle(row);
    }
    ready_.clear();
}

}  // namespace veltrop::table_tool
