#include "table_tool/command.h"
#include "table_tool/exporter.h"
#include "table_tool/importer.h"
#include "table_tool/output_file.h"
#include "table_tool/table_access.h"
#include "table_tool/tool_error.h"

namespace veltrop::table_tool {

void runExport(CommandContext& context) {
    const std::string format = context.value("format");
    if (format != "csv" && format != "json") {
        throw UsageError("export: --format is csv or json, not '" + format + "'");
    }
    engine::Session session(context.sessionOptions);
    unlock(session, context.fileName, context.passwords);
    auto table = openCredentialTable(session, context.fileName, engine::OpenMode::ReadOnly);
    OutputFile output(context.value("output"), context.isSet("force"), context.fileName);
    std::fputs(
        "veltrop-table: warning: the export is not encrypted; anyone who can read it "
        "sees every password\n",
        context.err);
    const bool safe = context.isSet("spreadsheet-safe");
    const ExportReport report = exportRecords(
        *table, format == "csv" ? ExportFormat::Csv : ExportFormat::Json, output.stream(), safe);
    output.finish();
    std::fprintf(context.err, "veltrop-table: exported %ld records\n", report.written);
    if (report.formulaLike > 0 && !safe) {
        std::fprintf(context.err,
                     "veltrop-table: warning: %ld values start with =, +, -, @, a tab or a "
                     "carriage return, which a spreadsheet may run as a formula; "
                     "--spreadsheet-safe writes them after a '\n",
                     report.formulaLike);
    }
}

void runImport(CommandContext& context) {
    ImportOptions options{context.value("format"), context.isSet("cut"),
                          context.isSet("keep-duplicates"), context.isSet("dry-run")};
    const std::vector<std::string> known{"auto",   "veltrop", "keepassxc", "bitwarden",
                                         "chrome", "firefox", "json"};
    if (std::find(known.begin(), known.end(), options.format) == known.end()) {
        throw UsageError("import: unknown --format '" + options.format + "'");
    }
    requireOwnTable(context.fileName);
    engine::Session session(context.sessionOptions);
    unlock(session, context.fileName, context.passwords);
    auto table = openCredentialTable(session, context.fileName, engine::OpenMode::ReadWrite);
    const ImportReport report =
        importRecords(*table, context.arguments.front().toStdString(), options);
    for (const auto& cut : report.cuts) {
        std::fprintf(context.out, "%s\n", cut.c_str());
    }
    std::fprintf(context.out,
                 "%s%ld records imported, %ld duplicates skipped, %ld other items skipped, %zu "
                 "values cut\n",
                 options.dryRun ? "Dry run, nothing written: " : "", report.imported,
                 report.duplicates, report.notRecords, report.cuts.size());
}

}  // namespace veltrop::table_tool
