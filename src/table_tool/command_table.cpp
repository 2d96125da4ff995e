#include <QCommandLineParser>

#include "table_tool/command.h"

namespace veltrop::table_tool {

bool CommandContext::isSet(const char* option) const {
    return parser.isSet(QString::fromLatin1(option));
}

std::string CommandContext::value(const char* option) const {
    return parser.value(QString::fromLatin1(option)).toStdString();
}

namespace {

QCommandLineOption passwordStdin() {
    return {"password-stdin",
            "Read passwords from standard input, one per line: the current password first, "
            "then the new one."};
}

}  // namespace

const std::vector<Command>& commands() {
    static const std::vector<Command> all{
        {"info",
         "",
         "",
         0,
         0,
         "Show the record count, the protection, the fields with their kinds and sizes, the file "
         "size, a quick integrity check, and whether a program has the table open.",
         {passwordStdin()},
         runInfo},
        {"check",
         "",
         "",
         0,
         0,
         "Check the table's integrity, structure and values in full. Exit status 1 when anything "
         "is wrong.",
         {passwordStdin()},
         runCheck},
        {"create",
         "",
         "",
         0,
         0,
         "Create a new, empty table only you can read and write.",
         {},
         runCreate},
        {"protect",
         "",
         "",
         0,
         0,
         "Protect the table with a new password.",
         {passwordStdin()},
         runProtect},
        {"unprotect",
         "",
         "",
         0,
         0,
         "Remove the table's password.",
         {passwordStdin()},
         runUnprotect},
        {"rekey", "", "", 0, 0, "Change the table's password.", {passwordStdin()}, runRekey},
        {"resize",
         "FIELD=SIZE...",
         "A field and its new size, e.g. PASSWORD=64 or \"LOGIN ID=40\".",
         1,
         -1,
         "Widen DESCRIPTION, URL, LOGIN ID or PASSWORD to SIZE characters (at most 255). Fields "
         "are never narrowed.",
         {passwordStdin()},
         runResize},
        {"export",
         "",
         "",
         0,
         0,
         "Write every record, unencrypted, as CSV with the field names as header row, or as "
         "JSON.",
         {passwordStdin(),
          {{"o", "output"}, "Write to OUT (mode 0600) instead of standard output.", "OUT"},
          {"format", "csv (the default) or json.", "FORMAT", "csv"},
          {"force", "Replace an existing OUT."},
          {"spreadsheet-safe",
           "Write values starting with =, +, -, @, a tab or a carriage return after a ', so "
           "that a spreadsheet shows them instead of running them. The export then no longer "
           "imports back unchanged."}},
         runExport},
        {"import",
         "CSV",
         "The export file to read.",
         1,
         1,
         "Add the records of an export: this tool's CSV or JSON, or the CSV export of KeePassXC, "
         "Bitwarden, Chrome or Firefox. All records or none.",
         {passwordStdin(),
          {"format", "auto (the default), veltrop, keepassxc, bitwarden, chrome, firefox or json.",
           "FORMAT", "auto"},
          {"cut", "Cut values longer than their field, keeping them whole in NOTE."},
          {"keep-duplicates", "Import records equal to an existing one in the four text fields."},
          {"dry-run", "Check and count everything, but write nothing."}},
         runImport},
        {"merge",
         "OTHER...",
         "Other copies of the table. With more than one name the last is FILE.",
         0,
         -1,
         "Bring the records of other copies of the table into it, protected or not, all or "
         "none: equal records are skipped, a differing note is joined, a differing password "
         "is kept beside the other and listed as a conflict.",
         {passwordStdin(),
          {"conflicts",
           "Merge the conflict copies that Syncthing, Nextcloud or Dropbox left beside the "
           "table, then move them into the folder FILE.merged beside it."},
          {"dry-run", "Check and count everything, but write nothing."}},
         runMerge,
         true},
        {"backup",
         "OUT",
         "The copy to make; must not exist yet.",
         1,
         1,
         "Copy the table consistently to OUT, with the same protection, even while the program "
         "runs. Never replaces a file.",
         {passwordStdin()},
         runBackup},
    };
    return all;
}

}  // namespace veltrop::table_tool
