#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace veltrop::table_tool {

// Where each of the table's five fields comes from in another program's export.
struct ImportFormat {
    const char* name;
    // The header's first columns, as that program writes them (compared without case).
    std::vector<const char*> leadingColumns;
    // The column of DESCRIPTION, URL, LOGIN ID, PASSWORD and NOTE; nullptr for none.
    std::array<const char*, 5> sources;
    // Only rows whose column has this value are records; the others are skipped.
    const char* kindColumn = nullptr;
    const char* recordKind = nullptr;
    // Without a description column, the description is the URL's host.
    bool describeByHost = false;
};

const std::vector<ImportFormat>& importFormats();

// A format with its columns found in a header.
struct HeaderMapping {
    const ImportFormat* format;
    std::array<std::optional<std::size_t>, 5> columns;
    std::optional<std::size_t> kindColumn;
};

// The format the header belongs to: the named one, or with "auto" the first that fits.
// Fails with ToolError listing the known headers.
HeaderMapping recognizeHeader(const std::vector<std::string>& header, const std::string& wanted);

// "example.org" of "https://user@example.org:8080/path"; the text itself when no host.
std::string hostOf(const std::string& url);

}  // namespace veltrop::table_tool
