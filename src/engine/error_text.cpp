#include "engine/error_text.h"

#include <algorithm>
#include <cstdio>

namespace veltrop::engine {

std::string codeMessage(ErrorCode code) {
    switch (code) {
        case ErrorCode::TableNotFound:
            return "Table does not exist";
        case ErrorCode::DirectoryNotFound:
            return "Directory not found";
        case ErrorCode::NotATable:
            return "The file is not a table";
        case ErrorCode::TableDamaged:
            return "The table is damaged";
        case ErrorCode::WrongStructure:
            return "The table's fields are not the expected ones";
        case ErrorCode::InsufficientRights:
            return "Insufficient table rights: the table is protected by a password";
        case ErrorCode::ReadOnly:
            return "The table is read only";
        case ErrorCode::TableLocked:
            return "The table is locked by another program";
        case ErrorCode::RecordLocked:
            return "Record locked by another user";
        case ErrorCode::TableInUse:
            return "The table is open in another program";
        case ErrorCode::RecordDeleted:
            return "The record has been deleted by another user";
        case ErrorCode::DiskFull:
            return "The disk is full";
        case ErrorCode::WriteFailed:
            return "Could not write to the table file";
        case ErrorCode::ReadFailed:
            return "Could not read the table file";
        case ErrorCode::TableExists:
            return "The table already exists";
        case ErrorCode::StorageFailure:
        case ErrorCode::InitFailed:
            return "";
    }
    return "";
}

namespace {

std::string trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    const auto begin = text.find_first_not_of(blanks);
    if (begin == std::string::npos) {
        return {};
    }
    return text.substr(begin, text.find_last_not_of(blanks) - begin + 1);
}

class Lines {
public:
    void add(const std::string& text) {
        std::string line = trimmed(text);
        if (!line.empty() && std::find(lines_.begin(), lines_.end(), line) == lines_.end()) {
            lines_.push_back(std::move(line));
        }
    }
    std::string joined() const {
        std::string out;
        for (const auto& line : lines_) {
            out += out.empty() ? "" : "\n";
            out += line;
        }
        return out;
    }

private:
    std::vector<std::string> lines_;
};

}  // namespace

std::string composeErrorText(ErrorCode code, const std::string& fileName,
                             const std::vector<std::string>& details) {
    Lines lines;
    if (code != ErrorCode::StorageFailure) {
        lines.add(codeMessage(code));
    }
    if (!fileName.empty()) {
        lines.add("Table: " + fileName);
    }
    for (const auto& detail : details) {
        lines.add(detail);
    }
    std::string text = lines.joined();
    if (text.empty()) {
        char fallback[32];
        std::snprintf(fallback, sizeof fallback, "Engine error $%.4x", static_cast<unsigned>(code));
        text = fallback;
    }
    return text;
}

}  // namespace veltrop::engine
