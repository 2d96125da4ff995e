#include "table_tool/tool.h"

#include <QCommandLineParser>

#include "engine/aside_files.h"
#include "engine/file_owner.h"
#include "store/credential_table.h"
#include "table_tool/command.h"
#include "table_tool/default_table.h"
#include "table_tool/table_access.h"
#include "table_tool/tool_error.h"

namespace veltrop::table_tool {

namespace {

constexpr const char* kProgram = "veltrop-table";

std::string toolHelp() {
    std::string help = std::string("Usage: ") + kProgram +
                       " COMMAND [FILE] [OPTIONS]\n"
                       "Protects, widens, imports, exports and backs up a Veltrop table.\n"
                       "FILE is Veltrop.DB in the current folder unless given; without one\n"
                       "there, the menu entry's table in $XDG_DATA_HOME/veltrop.\n\nCommands:\n";
    for (const Command& command : commands()) {
        std::string name = command.name;
        name.resize(11, ' ');
        help += "  " + name + command.summary + "\n";
    }
    help += std::string("\nPasswords are never taken from the command line or the environment.\n") +
            "'" + kProgram + " COMMAND --help' describes a command. Exit status: 0 done, 1 " +
            "failed, 2 bad usage.\n";
    return help;
}

const Command* findCommand(const QString& name) {
    for (const Command& command : commands()) {
        if (name == QString::fromLatin1(command.name)) {
            return &command;
        }
    }
    return nullptr;
}

void setUp(QCommandLineParser& parser, const Command& command) {
    parser.setApplicationDescription(QString::fromLatin1(command.summary));
    parser.addHelpOption();
    for (const auto& option : command.options) {
        parser.addOption(option);
    }
    const auto addFile = [&parser] {
        parser.addPositionalArgument(
            "FILE", "The table file (default Veltrop.DB, here or in $XDG_DATA_HOME/veltrop).",
            "[FILE]");
    };
    if (!command.fileLast) {
        addFile();
    }
    if (*command.arguments) {
        parser.addPositionalArgument(command.arguments, command.argumentsHelp, command.arguments);
    }
    if (command.fileLast) {
        addFile();
    }
}

// Splits the positional arguments into FILE and the command's own: FILE comes first and
// is there when more arguments are given than the command takes (for resize: when the
// first has no "="). FILE is empty when not given.
std::pair<std::string, QStringList> splitFile(const Command& command, QStringList positional) {
    const bool fileGiven = command.fileLast ? positional.size() > 1
                           : command.mostArguments < 0
                               ? !positional.isEmpty() && !positional.front().contains('=')
                               : positional.size() > command.mostArguments;
    std::string fileName;
    if (fileGiven) {
        fileName =
            (command.fileLast ? positional.takeLast() : positional.takeFirst()).toStdString();
    }
    if (positional.size() < command.leastArguments ||
        (command.mostArguments >= 0 && positional.size() > command.mostArguments)) {
        throw UsageError(std::string(command.name) + ": expected " +
                         (*command.arguments ? command.arguments : std::string("no arguments")) +
                         " after [FILE]");
    }
    return {fileName, positional};
}

int runCommand(const Command& command, const QStringList& arguments, std::FILE* out, std::FILE* err,
               const engine::SessionOptions& sessionOptions) {
    QCommandLineParser parser;
    setUp(parser, command);
    if (!parser.parse(QStringList{kProgram} + arguments)) {
        throw UsageError(std::string(command.name) + ": " + parser.errorText().toStdString());
    }
    if (parser.isSet("help")) {
        std::string help = parser.helpText().toStdString();
        const auto options = help.find(" [options]");
        if (help.rfind("Usage: ", 0) == 0 && options != std::string::npos) {
            help.replace(0, options, std::string("Usage: ") + kProgram + " " + command.name);
        }
        std::fputs(help.c_str(), out);
        return kDone;
    }
    auto [fileName, own] = splitFile(command, parser.positionalArguments());
    const bool fileGiven = !fileName.empty();
    if (!fileGiven) {
        fileName = defaultTable(command.run == &runCreate, err);
    }
    engine::removeLeftovers(fileName);
    for (const auto& warning : engine::ownerWarnings(fileName)) {
        std::fprintf(err, "%s: warning: %s\n", kProgram, warning.c_str());
    }
    PasswordSource passwords(parser.optionNames().contains("password-stdin"));
    CommandContext context{fileName, own, parser, passwords, sessionOptions, out, err};
    try {
        command.run(context);
    } catch (const engine::EngineError& error) {
        if (!fileGiven && error.code() == engine::ErrorCode::TableNotFound) {
            throw ToolError(noDefaultTable());
        }
        throw ToolError(describeFailure(error, fileName));
    }
    return kDone;
}

}  // namespace

int runTool(const QStringList& arguments, std::FILE* out, std::FILE* err,
            const engine::SessionOptions& sessionOptions) {
    try {
        if (arguments.isEmpty()) {
            throw UsageError("no command given");
        }
        const QString& name = arguments.front();
        if (name == "--help" || name == "-h" || name == "help") {
            std::fputs(toolHelp().c_str(), out);
            return kDone;
        }
        const Command* command = findCommand(name);
        if (!command) {
            throw UsageError("unknown command '" + name.toStdString() + "'");
        }
        return runCommand(*command, arguments.mid(1), out, err, sessionOptions);
    } catch (const UsageError& error) {
        std::fprintf(err, "%s: %s\nTry '%s --help'.\n", kProgram, error.what(), kProgram);
        return kBadUsage;
    } catch (const std::exception& error) {
        std::fprintf(err, "%s: %s\n", kProgram, error.what());
        return kFailed;
    }
}

}  // namespace veltrop::table_tool
