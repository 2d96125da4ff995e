#pragma once

#include <functional>
#include <string>
#include <vector>

struct csv_parser;

namespace veltrop::table_tool {

struct CsvRow {
    long line;  // where the row starts in the file, from 1
    std::vector<std::string> fields;
};

// Reads a UTF-8 CSV file (RFC 4180; a byte order mark and CRLF line ends are fine) row
// by row, holding no more of it than one row, whose size is bounded. Bad input fails with a
// ToolError naming the file and the line.
class CsvReader {
public:
    // The largest field accepted, so that a broken file cannot take all the memory.
    static constexpr std::size_t kMostFieldBytes = std::size_t{1} << 20;
    // The most fields a header may have, and a row's bytes: the rows after the header may
    // have no more fields than it has.
    static constexpr std::size_t kMostHeaderFields = 256;
    static constexpr std::size_t kMostRowBytes = std::size_t{8} << 20;

    explicit CsvReader(const std::string& fileName);
    ~CsvReader();
    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    void readAll(const std::function<void(const CsvRow&)>& handle);

private:
    static void takeField(void* bytes, std::size_t size, void* reader);
    static void takeRowEnd(int terminator, void* reader);
    void feed(const char* bytes, std::size_t size);
    void checkStart(std::string_view chunk);
    void noteProblem(const std::string& what);
    [[noreturn]] void fail(long line, const std::string& what) const;

    std::string fileName_;
    int fd_;
    csv_parser* parser_;
    long line_ = 1;
    long rowStart_ = 1;
    std::size_t pendingBytes_ = 0;
    std::size_t rowBytes_ = 0;
    std::size_t mostFields_ = kMostHeaderFields;
    bool headerRead_ = false;
    std::vector<std::string> fields_;
    std::vector<CsvRow> ready_;
    std::string problem_;
    long problemLine_ = 0;
};

}  // namespace veltrop::table_tool
