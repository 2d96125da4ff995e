#pragma once

#include <QCommandLineOption>
#include <QStringList>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/session.h"
#include "table_tool/password_source.h"

class QCommandLineParser;

namespace veltrop::table_tool {

// What a command gets to work with.
struct CommandContext {
    std::string fileName;
    QStringList arguments;  // the command's own arguments, after FILE
    const QCommandLineParser& parser;
    PasswordSource& passwords;
    engine::SessionOptions sessionOptions;
    std::FILE* out;
    std::FILE* err;

    bool isSet(const char* option) const;
    std::string value(const char* option) const;
};

struct Command {
    const char* name;
    const char* arguments;  // as shown in the synopsis, after [FILE]
    const char* argumentsHelp;
    int leastArguments;
    int mostArguments;  // -1: any number
    const char* summary;
    std::vector<QCommandLineOption> options;
    void (*run)(CommandContext& context);
    // FILE comes after the command's arguments, and is there when more than one is given.
    bool fileLast = false;
};

// Every command of the tool, in the order --help lists them.
const std::vector<Command>& commands();

// The commands' bodies, one file per group.
void runInfo(CommandContext& context);
void runCheck(CommandContext& context);
void runCreate(CommandContext& context);
void runBackup(CommandContext& context);
void runProtect(CommandContext& context);
void runUnprotect(CommandContext& context);
void runRekey(CommandContext& context);
void runResize(CommandContext& context);
void runExport(CommandContext& context);
void runImport(CommandContext& context);
void runMerge(CommandContext& context);

}  // namespace veltrop::table_tool
