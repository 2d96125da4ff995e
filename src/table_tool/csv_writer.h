#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace veltrop::table_tool {

// Writes RFC 4180 CSV: every field quoted, rows ended by CRLF.
class CsvWriter {
public:
    explicit CsvWriter(std::FILE* stream) : stream_(stream) {}
    void writeRow(const std::vector<std::string>& fields);

private:
    std::FILE* stream_;
    std::string line_;
};

}  // namespace veltrop::table_tool
