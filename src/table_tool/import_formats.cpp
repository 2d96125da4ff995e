#include "table_tool/import_formats.h"

#include <algorithm>
#include <cctype>

#include "table_tool/tool_error.h"

namespace veltrop::table_tool {

const std::vector<ImportFormat>& importFormats() {
    static const std::vector<ImportFormat> formats{
        {"veltrop",
         {"DESCRIPTION", "URL", "LOGIN ID", "PASSWORD", "NOTE"},
         {"DESCRIPTION", "URL", "LOGIN ID", "PASSWORD", "NOTE"}},
        {"keepassxc",
         {"Group", "Title", "Username", "Password", "URL", "Notes"},
         {"Title", "URL", "Username", "Password", "Notes"}},
        {"bitwarden",
         {"folder", "favorite", "type", "name", "notes", "fields", "reprompt", "login_uri",
          "login_username", "login_password", "login_totp"},
         {"name", "login_uri", "login_username", "login_password", "notes"},
         "type",
         "login"},
        {"chrome",
         {"name", "url", "username", "password"},
         {"name", "url", "username", "password", "note"}},
        {"firefox",
         {"url", "username", "password"},
         {nullptr, "url", "username", "password", nullptr},
         nullptr,
         nullptr,
         true},
    };
    return formats;
}

namespace {

bool sameName(const std::string& a, const char* b) {
    const std::string other(b);
    return a.size() == other.size() &&
           std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::optional<std::size_t> columnOf(const std::vector<std::string>& header, const char* name) {
    if (!name) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (sameName(header[i], name)) {
            return i;
        }
    }
    return std::nullopt;
}

bool fits(const ImportFormat& format, const std::vector<std::string>& header) {
    if (header.size() < format.leadingColumns.size()) {
        return false;
    }
    for (std::size_t i = 0; i < format.leadingColumns.size(); ++i) {
        if (!sameName(header[i], format.leadingColumns[i])) {
            return false;
        }
    }
    return true;
}

std::string knownHeaders() {
    std::string known;
    for (const auto& format : importFormats()) {
        known += (known.empty() ? "" : "; ") + std::string(format.name) + " (";
        for (const char* column : format.leadingColumns) {
            known += std::string(column == format.leadingColumns.front() ? "" : ",") + column;
        }
        known += ",...)";
    }
    return known;
}

}  // namespace

HeaderMapping recognizeHeader(const std::vector<std::string>& header, const std::string& wanted) {
    for (const auto& format : importFormats()) {
        if ((wanted == "auto" || wanted == format.name) && fits(format, header)) {
            HeaderMapping mapping{&format, {}, columnOf(header, format.kindColumn)};
            for (std::size_t field = 0; field < format.sources.size(); ++field) {
                mapping.columns[field] = columnOf(header, format.sources[field]);
            }
            return mapping;
        }
    }
    throw ToolError("line 1: the header is not one of a known export (" + wanted +
                    "); known headers: " + knownHeaders());
}

std::string hostOf(const std::string& url) {
    std::size_t start = url.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    std::size_t end = url.find_first_of("/?#", start);
    std::string host =
        url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (const auto at = host.rfind('@'); at != std::string::npos) {
        host.erase(0, at + 1);
    }
    if (const auto colon = host.rfind(':');
        colon != std::string::npos && host.find(']') == std::string::npos) {
        host.erase(colon);
    }
    return host.empty() ? url : host;
}

}  // namespace veltrop::table_tool
