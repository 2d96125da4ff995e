#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/aside_files.h"
#include "engine/conflict_copies.h"
#include "table_tool/command.h"
#include "table_tool/merger.h"
#include "table_tool/table_access.h"
#include "table_tool/tool_error.h"

namespace veltrop::table_tool {

namespace {

// Where merged conflict copies go, so that they are not merged again: a folder beside
// the table, which the sync service may carry but nothing counts as a copy any more.
std::string mergedFolder(const std::string& fileName) {
    return fileName + ".merged";
}

void moveAside(const std::string& copy, const std::string& folder) {
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        throw ToolError(folder + ": " + std::strerror(errno) + "; the records are merged, move " +
                        copy + " away by hand");
    }
    std::string target = folder + "/" + engine::baseName(copy);
    struct stat info {};
    for (int n = 2; stat(target.c_str(), &info) == 0; ++n) {
        target = folder + "/" + std::to_string(n) + "-" + engine::baseName(copy);
    }
    if (std::rename(copy.c_str(), target.c_str()) != 0) {
        throw ToolError(copy + ": " + std::strerror(errno) +
                        "; the records are merged, move it "
                        "away by hand");
    }
}

}  // namespace

void runMerge(CommandContext& context) {
    std::string fileName = context.fileName;
    std::vector<std::string> others;
    const bool conflicts = context.isSet("conflicts");
    if (conflicts) {
        if (context.arguments.size() > 1) {
            throw UsageError("merge: --conflicts takes no OTHER, only [FILE]");
        }
        if (!context.arguments.isEmpty()) {
            fileName = context.arguments.front().toStdString();
        }
        others = engine::findConflictCopies(fileName);
        if (others.empty()) {
            std::fprintf(context.out, "No conflict copies beside %s\n", fileName.c_str());
            return;
        }
    } else {
        for (const auto& other : context.arguments) {
            others.push_back(other.toStdString());
        }
        if (others.empty()) {
            throw UsageError("merge: expected OTHER... [FILE], or --conflicts [FILE]");
        }
    }
    requireOwnTable(fileName);

    engine::Session session(context.sessionOptions);
    unlock(session, fileName, context.passwords);
    auto table = openCredentialTable(session, fileName, engine::OpenMode::ReadWrite);
    MergeReport report;
    table->begin();
    try {
        for (const auto& other : others) {
            try {
                unlock(session, other, context.passwords);
                auto copy = openCredentialTable(session, other, engine::OpenMode::ReadOnly);
                mergeRecords(*table, *copy, engine::baseName(other), report);
            } catch (const engine::EngineError& error) {
                throw ToolError(describeFailure(error, other) + "; nothing was merged");
            }
        }
    } catch (...) {
        table->rollback();
        throw;
    }
    if (context.isSet("dry-run")) {
        table->rollback();
    } else {
        table->commit();
    }
    for (const auto& line : report.listed) {
        std::fprintf(context.out, "%s\n", line.c_str());
    }
    std::fprintf(context.out,
                 "%s%ld records added, %ld notes joined, %ld conflicts, %ld equal records "
                 "skipped\n",
                 context.isSet("dry-run") ? "Dry run, nothing written: " : "", report.added,
                 report.notesJoined, report.conflicts, report.skipped);
    if (conflicts && !context.isSet("dry-run")) {
        for (const auto& copy : others) {
            moveAside(copy, mergedFolder(fileName));
        }
        std::fprintf(context.out, "%zu conflict copies moved into %s\n", others.size(),
                     mergedFolder(fileName).c_str());
    }
}

}  // namespace veltrop::table_tool
