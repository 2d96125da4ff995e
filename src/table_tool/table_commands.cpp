#include <sys/stat.h>

#include "engine/conflict_copies.h"
#include "engine/error_text.h"
#include "engine/sole_use.h"
#include "store/credential_table.h"
#include "table_tool/command.h"
#include "table_tool/table_access.h"
#include "table_tool/table_fields.h"
#include "table_tool/tool_error.h"
#include "table_tool/utf8_text.h"

namespace veltrop::table_tool {

namespace {

const char* kindName(engine::FieldKind kind) {
    return kind == engine::FieldKind::Text ? "text" : "memo";
}

long long fileSize(const std::string& fileName) {
    struct stat info {};
    return stat(fileName.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

// What is wrong with the fields' definitions, measured against the credential table.
std::vector<std::string> structureProblems(const engine::TableDefinition& found) {
    const auto& declared = credentials::definition();
    std::vector<std::string> problems;
    for (std::size_t i = 0; i < declared.fields.size() && i < found.fields.size(); ++i) {
        const auto& field = found.fields[i];
        const auto& expected = declared.fields[i];
        if (field.kind == engine::FieldKind::Text &&
            (field.size < expected.size || field.size > kWidestField)) {
            problems.push_back(field.name + ": size " + std::to_string(field.size) +
                               " is outside " + std::to_string(expected.size) + " to " +
                               std::to_string(kWidestField));
        }
    }
    if (found.indexes != declared.indexes) {
        problems.push_back("the index " + declared.indexes.front().name + " is missing or changed");
    }
    return problems;
}

std::vector<std::string> valueProblems(engine::TableFile& table) {
    std::vector<std::string> problems;
    const auto& fields = table.definition().fields;
    table.forEachRecord([&](const engine::RecordRow& row) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const std::string& value = row.values[i];
            const std::string where =
                "record " + std::to_string(row.number) + ", " + fields[i].name;
            if (!isValidUtf8(value)) {
                problems.push_back(where + ": not valid UTF-8 text");
            } else if (fields[i].kind == engine::FieldKind::Text &&
                       characterCount(value) > static_cast<std::size_t>(fields[i].size)) {
                problems.push_back(where + ": longer than the field");
            }
        }
    });
    return problems;
}

}  // namespace

void runInfo(CommandContext& context) {
    const std::string& file = context.fileName;
    const bool inUse = engine::isOpenElsewhere(file);
    const bool protectedTable = isProtected(file);
    engine::Session session(context.sessionOptions);
    unlock(session, file, context.passwords);
    auto table = openCredentialTable(session, file, engine::OpenMode::ReadOnly);
    const auto problems = table->integrityProblems(true);
    std::FILE* out = context.out;
    std::fprintf(out, "File: %s\nSize: %lld bytes\n", file.c_str(), fileSize(file));
    std::fprintf(out, "Protected: %s\n", protectedTable ? "yes (password, key by Argon2id)" : "no");
    std::fprintf(out, "Records: %lld\nFields:\n", static_cast<long long>(table->recordCount()));
    for (const auto& field : table->definition().fields) {
        std::fprintf(out, "  %-12s %-5s %d\n", field.name.c_str(), kindName(field.kind),
                     field.size);
    }
    std::fprintf(out, "Quick check: %s\n", problems.empty() ? "ok" : problems.front().c_str());
    std::fprintf(out, "Open in a program: %s\n", inUse ? "yes" : "no");
    const auto copies = engine::findConflictCopies(file);
    if (!copies.empty()) {
        std::fprintf(out,
                     "Conflict copies from a file-sync service: %zu (merge them with "
                     "'veltrop-table merge --conflicts')\n",
                     copies.size());
        for (const auto& copy : copies) {
            std::fprintf(out, "  %s\n", copy.c_str());
        }
    }
}

namespace {

[[noreturn]] void reportProblems(const std::string& file, const std::vector<std::string>& problems,
                                 std::FILE* out) {
    for (const auto& problem : problems) {
        std::fprintf(out, "%s\n", problem.c_str());
    }
    throw ToolError(file + ": " + std::to_string(problems.size()) +
                    " problems found; restore a backup, or export and import what is "
                    "readable into a new table");
}

// What the engine found wrong with the file while opening it, one line each.
std::vector<std::string> damageFound(const engine::EngineError& error) {
    if (error.nativeCode() != 0 || error.details().empty()) {
        return {engine::codeMessage(error.code())};
    }
    return error.details();
}

}  // namespace

void runCheck(CommandContext& context) {
    const std::string& file = context.fileName;
    engine::Session session(context.sessionOptions);
    unlock(session, file, context.passwords);
    std::unique_ptr<engine::TableFile> table;
    try {
        table = openCredentialTable(session, file, engine::OpenMode::ReadOnly);
    } catch (const engine::EngineError& error) {
        if (error.code() != engine::ErrorCode::TableDamaged) {
            throw;
        }
        reportProblems(file, damageFound(error), context.out);
    }
    std::vector<std::string> problems = table->integrityProblems(false);
    for (auto& found : {structureProblems(table->definition()), valueProblems(*table)}) {
        problems.insert(problems.end(), found.begin(), found.end());
    }
    if (!problems.empty()) {
        reportProblems(file, problems, context.out);
    }
    std::fprintf(context.out, "%s: ok, %lld records\n", file.c_str(),
                 static_cast<long long>(table->recordCount()));
}

void runCreate(CommandContext& context) {
    engine::Session(context.sessionOptions)
        .createTable(context.fileName, credentials::definition());
}

void runBackup(CommandContext& context) {
    engine::Session session(context.sessionOptions);
    unlock(session, context.fileName, context.passwords);
    session.backupTable(context.fileName, context.arguments.front().toStdString());
}

}  // namespace veltrop::table_tool
