#include "table_tool/exporter.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "table_tool/csv_writer.h"
#include "table_tool/table_fields.h"

namespace veltrop::table_tool {

namespace {

constexpr int kRecordsPerRead = 2000;

template <typename Write>
long forEachRecord(engine::TableFile& table, Write write) {
    long written = 0;
    engine::RecordNumber next = 0;
    for (;;) {
        const auto rows = table.readFrom(next, kRecordsPerRead);
        for (const auto& row : rows) {
            write(row.values);
            ++written;
        }
        if (rows.size() < static_cast<std::size_t>(kRecordsPerRead)) {
            return written;
        }
        next = rows.back().number + 1;
    }
}

long exportCsv(engine::TableFile& table, std::FILE* out) {
    CsvWriter writer(out);
    writer.writeRow({kFieldNames.begin(), kFieldNames.end()});
    return forEachRecord(table, [&](const engine::RawRecord& values) { writer.writeRow(values); });
}

long exportJson(engine::TableFile& table, std::FILE* out) {
    std::fputs("[", out);
    const char* separator = "\n";
    const long written = forEachRecord(table, [&](const engine::RawRecord& values) {
        QJsonObject object;
        for (std::size_t field = 0; field < kFieldCount; ++field) {
            object.insert(QString::fromUtf8(kFieldNames[field]),
                          QString::fromStdString(values[field]));
        }
        const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact);
        std::fputs(separator, out);
        std::fwrite(line.data(), 1, static_cast<std::size_t>(line.size()), out);
        separator = ",\n";
    });
    std::fputs("\n]\n", out);
    return written;
}

}  // namespace

long exportRecords(engine::TableFile& table, ExportFormat format, std::FILE* out) {
    return format == ExportFormat::Csv ? exportCsv(table, out) : exportJson(table, out);
}

}  // namespace veltrop::table_tool
