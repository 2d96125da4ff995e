#include "engine/schema_guard.h"

#include <sqlite3.h>

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <set>
#include <tuple>

#include "engine/error.h"
#include "engine/schema_probe.h"

namespace veltrop::engine {

namespace {

// Longer statements than these are none the engine wrote.
constexpr std::size_t kLongestStatement = 4096;
constexpr std::size_t kLongestShownName = 64;

struct Token {
    std::string text;  // identifiers unquoted, bare words in upper case
    bool bare;         // a word or number outside quotes, or punctuation
};

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// Splits a statement as the storage library's tokenizer would, for the few forms a
// table's schema uses; false for anything else (string literals, comments, odd bytes).
bool tokenize(const std::string& sql, std::vector<Token>& tokens) {
    std::size_t at = 0;
    while (at < sql.size()) {
        const unsigned char c = static_cast<unsigned char>(sql[at]);
        if (std::isspace(c)) {
            ++at;
        } else if (c == '"' || c == '[' || c == '`') {
            const char close = c == '[' ? ']' : static_cast<char>(c);
            std::string text;
            ++at;
            for (;;) {
                if (at >= sql.size()) {
                    return false;
                }
                if (sql[at] == close) {
                    if (close != ']' && at + 1 < sql.size() && sql[at + 1] == close) {
                        text += close;
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                text += sql[at++];
            }
            tokens.push_back({text, false});
        } else if (std::isalnum(c) || c == '_') {
            const std::size_t begin = at;
            while (at < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[at])) ||
                                       sql[at] == '_' || sql[at] == '$')) {
                ++at;
            }
            tokens.push_back({upper(sql.substr(begin, at - begin)), true});
        } else if (c == '(' || c == ')' || c == ',') {
            tokens.push_back({std::string(1, static_cast<char>(c)), true});
            ++at;
        } else {
            return false;
        }
    }
    return true;
}

bool isWord(const Token& token, const char* word) {
    return token.bare && token.text == word;
}

bool isIdentifier(const Token& token) {
    return !token.bare || std::isalpha(static_cast<unsigned char>(token.text.front())) ||
           token.text.front() == '_';
}

bool namesRecords(const Token& token) {
    return token.bare ? token.text == "RECORDS" : token.text == "records";
}

// CREATE TABLE records (column type(size) ..., ...): columns with their declared types
// and key clauses, nothing computed, no constraint that runs an expression.
bool isRecordsStatement(const std::string& sql) {
    std::vector<Token> tokens;
    if (!tokenize(sql, tokens) || tokens.size() < 6 || !isWord(tokens[0], "CREATE") ||
        !isWord(tokens[1], "TABLE") || !namesRecords(tokens[2]) || !isWord(tokens[3], "(") ||
        !isWord(tokens.back(), ")")) {
        return false;
    }
    static const std::vector<std::string> refused{
        "AS",        "SELECT",  "CHECK",   "DEFAULT", "REFERENCES", "CONSTRAINT", "FOREIGN",
        "GENERATED", "WITHOUT", "COLLATE", "UNIQUE",  "ON",         "CONFLICT",   "ASC",
        "DESC",      "NOT",     "NULL",    "TEMP",    "TEMPORARY",  "VIRTUAL",    "STORED",
        "ALWAYS",    "USING",   "IF",      "EXISTS",  "MATCH",      "DEFERRABLE", "KEY"};
    int depth = 0;
    for (std::size_t i = 3; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (isWord(token, "(")) {
            ++depth;
        } else if (isWord(token, ")")) {
            --depth;
        }
        if (depth > 2 || (depth == 0 && i + 1 < tokens.size())) {
            return false;
        }
        // The record number's own clause, the only key a table has.
        if (isWord(token, "KEY") && isWord(tokens[i - 1], "PRIMARY")) {
            continue;
        }
        if (token.bare && std::find(refused.begin(), refused.end(), token.text) != refused.end()) {
            return false;
        }
    }
    return depth == 0;
}

// CREATE [UNIQUE] INDEX name ON records (column [COLLATE name] [ASC|DESC]): one field, no
// expression, no condition.
bool isIndexStatement(const std::string& sql) {
    std::vector<Token> tokens;
    if (!tokenize(sql, tokens)) {
        return false;
    }
    std::size_t at = 0;
    auto next = [&]() -> const Token* { return at < tokens.size() ? &tokens[at++] : nullptr; };
    const Token* token = next();
    if (!token || !isWord(*token, "CREATE") || !(token = next())) {
        return false;
    }
    if (isWord(*token, "UNIQUE") && !(token = next())) {
        return false;
    }
    const Token* name = nullptr;
    if (!isWord(*token, "INDEX") || !(name = next()) || !isIdentifier(*name) || !(token = next()) ||
        !isWord(*token, "ON") || !(token = next()) || !namesRecords(*token) || !(token = next()) ||
        !isWord(*token, "(") || !(token = next()) || !isIdentifier(*token) || !(token = next())) {
        return false;
    }
    if (isWord(*token, "COLLATE")) {
        const Token* collation = next();
        if (!collation || !(isWord(*collation, "NOCASE") || isWord(*collation, "BINARY")) ||
            !(token = next())) {
            return false;
        }
    }
    if ((isWord(*token, "ASC") || isWord(*token, "DESC")) && !(token = next())) {
        return false;
    }
    return isWord(*token, ")") && at == tokens.size();
}

bool isExpected(const SchemaObject& object) {
    if (!object.sql || object.sql->size() > kLongestStatement) {
        return false;
    }
    if (object.type == "table" && object.name == "records" && object.table == "records") {
        return isRecordsStatement(*object.sql);
    }
    if (object.type == "table" && object.name == "sqlite_sequence" &&
        object.table == "sqlite_sequence") {
        return *object.sql == "CREATE TABLE sqlite_sequence(name,seq)";
    }
    if (object.type == "index" && object.table == "records" &&
        upper(object.name).rfind("SQLITE_", 0) != 0) {
        return isIndexStatement(*object.sql);
    }
    return false;
}

// A name as a message may show it: printable, and not too long.
std::string shown(const std::string& name) {
    std::string text;
    for (const char c : name.substr(0, kLongestShownName)) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte < 0x20 || byte == 0x7f ? '?' : c;
    }
    return name.size() > kLongestShownName ? text + "..." : text;
}

// A file as it is now: any write changes its change time, a rename its inode.
using FileState = std::tuple<dev_t, ino_t, off_t, long, long>;

// The file's state, when it has not changed for a while: the change time has the
// granularity of the kernel's clock tick, so a file changed within the last second
// could change again without its change time showing it.
std::optional<FileState> settledStateOf(const std::string& fileName) {
    struct stat info {};
    timespec now{};
    if (stat(fileName.c_str(), &info) != 0 || clock_gettime(CLOCK_REALTIME, &now) != 0 ||
        now.tv_sec - info.st_ctim.tv_sec < 2) {
        return std::nullopt;
    }
    return FileState{info.st_dev, info.st_ino, info.st_size, info.st_ctim.tv_sec,
                     info.st_ctim.tv_nsec};
}

// Files the probe found sound, as they were then: the program opens its table with
// several cursors, and one probe is enough for all while the file stays as it is.
class AdmittedFiles {
public:
    bool contains(const FileState& state) {
        const std::lock_guard<std::mutex> guard(mutex_);
        return states_.count(state) != 0;
    }
    void add(const FileState& state) {
        const std::lock_guard<std::mutex> guard(mutex_);
        states_.insert(state);
    }

private:
    std::mutex mutex_;
    std::set<FileState> states_;
};

AdmittedFiles& admittedFiles() {
    static AdmittedFiles* files = new AdmittedFiles;
    return *files;
}

[[noreturn]] void damaged(const std::string& fileName, const std::vector<std::string>& findings) {
    std::vector<ErrorContext> context{{ErrorCode::TableDamaged, 0, "Table: " + fileName}};
    for (const auto& finding : findings) {
        context.push_back({ErrorCode::TableDamaged, 0, finding});
    }
    throw EngineError(ErrorCode::TableDamaged, std::move(context));
}

}  // namespace

std::vector<std::string> unexpectedObjects(const std::vector<SchemaObject>& objects) {
    std::vector<std::string> findings;
    // A file without the table is no table at all, whatever else it holds; nothing of
    // it is ever read.
    const bool holdsRecords =
        std::any_of(objects.begin(), objects.end(), [](const SchemaObject& object) {
            return object.type == "table" && object.name == "records";
        });
    if (!holdsRecords) {
        return findings;
    }
    for (const auto& object : objects) {
        if (!isExpected(object)) {
            const std::string type = object.type.empty() ? "object" : shown(object.type);
            findings.push_back("Unexpected " + type + " \"" + shown(object.name) +
                               "\" in the file");
        }
    }
    return findings;
}

void admitSchema(const std::string& fileName, const Secret& keyText, bool readOnly,
                 int busyTimeoutMs) {
    const auto before = settledStateOf(fileName);
    if (before && admittedFiles().contains(*before)) {
        return;
    }
    const ProbeOutcome outcome = probeSchema(fileName, keyText, readOnly, busyTimeoutMs);
    if (outcome.crashed) {
        damaged(fileName, {"The storage library fails on the file's schema"});
    }
    if (outcome.resultCode == SQLITE_OK) {
        const auto findings = unexpectedObjects(outcome.objects);
        if (!findings.empty()) {
            damaged(fileName, findings);
        }
        if (before) {
            admittedFiles().add(*before);
        }
    }
}

}  // namespace veltrop::engine
