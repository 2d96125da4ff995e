#include "table_tool/exporter.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <string_view>

#include "table_tool/csv_writer.h"
#include "table_tool/table_fields.h"

namespace veltrop::table_tool {

namespace {

bool looksLikeFormula(const std::string& value) {
    return !value.empty() &&
           std::string_view("=+-@\t\r").find(value.front()) != std::string_view::npos;
}

// Calls write with every record, its formula-like values prefixed when asked to.
template <typename Write>
void forEachRecord(engine::TableFile& table, bool spreadsheetSafe, ExportReport& report,
                   Write write) {
    table.forEachRecord([&](engine::RecordRow& row) {
        for (auto& value : row.values) {
            if (looksLikeFormula(value)) {
                ++report.formulaLike;
                if (spreadsheetSafe) {
                    value.insert(0, 1, '\'');
                }
            }
        }
        write(row.values);
        ++report.written;
    });
}

void exportCsv(engine::TableFile& table, std::FILE* out, bool safe, ExportReport& report) {
    CsvWriter writer(out);
    writer.writeRow(fieldNames());
    forEachRecord(table, safe, report,
                  [&](const engine::RawRecord& values) { writer.writeRow(values); });
}

void exportJson(engine::TableFile& table, std::FILE* out, bool safe, ExportReport& report) {
    std::fputs("[", out);
    const char* separator = "\n";
    forEachRecord(table, safe, report, [&](const engine::RawRecord& values) {
        QJsonObject object;
        for (std::size_t field = 0; field < fieldNames().size(); ++field) {
            object.insert(QString::fromStdString(fieldNames()[field]),
                          QString::fromStdString(values[field]));
        }
        const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact);
        std::fputs(separator, out);
        std::fwrite(line.data(), 1, static_cast<std::size_t>(line.size()), out);
        separator = ",\n";
    });
    std::fputs("\n]\n", out);
}

}  // namespace

ExportReport exportRecords(engine::TableFile& table, ExportFormat format, std::FILE* out,
                           bool spreadsheetSafe) {
    ExportReport report;
    if (format == ExportFormat::Csv) {
        exportCsv(table, out, spreadsheetSafe, report);
    } else {
        exportJson(table, out, spreadsheetSafe, report);
    }
    return report;
}

}  // namespace veltrop::table_tool
