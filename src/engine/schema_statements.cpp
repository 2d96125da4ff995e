#include "engine/schema_statements.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "engine/schema.h"

namespace veltrop::engine {

namespace {

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
    std::string name = schema::kTableName;
    if (token.bare) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    }
    return token.text == name;
}

}  // namespace

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

}  // namespace veltrop::engine
