#include "table_tool/record_source.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

#include "store/code_points.h"
#include "table_tool/csv_reader.h"
#include "table_tool/import_formats.h"
#include "table_tool/table_fields.h"
#include "table_tool/tool_error.h"
#include "table_tool/utf8_text.h"

namespace veltrop::table_tool {

namespace {

// JSON exports are read whole; beyond this they are refused rather than eat the memory.
constexpr qint64 kMostJsonBytes = qint64{256} << 20;

bool looksLikeJson(const std::string& fileName) {
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    char first = 0;
    while (file.getChar(&first)) {
        if (first != ' ' && first != '\t' && first != '\r' && first != '\n') {
            return first == '[';
        }
    }
    return false;
}

// The line of the first byte that is not valid UTF-8.
long firstInvalidLine(const QByteArray& bytes) {
    long line = 1;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\n') {
            const std::string_view text(bytes.constData() + start,
                                        static_cast<std::size_t>(i - start));
            if (!isValidUtf8(text)) {
                return line;
            }
            ++line;
            start = i + 1;
        }
    }
    return line;
}

SourceCounts readCsv(const std::string& fileName, const std::string& format,
                     const RecordHandler& handle) {
    SourceCounts counts;
    std::optional<HeaderMapping> mapping;
    std::size_t columns = 0;
    CsvReader reader(fileName);
    reader.readAll([&](const CsvRow& row) {
        if (!mapping) {
            try {
                mapping = recognizeHeader(row.fields, format);
            } catch (const ToolError& error) {
                throw ToolError(fileName + ": " + error.message());
            }
            columns = row.fields.size();
            return;
        }
        if (row.fields.size() != columns) {
            throw ToolError(fileName + ": line " + std::to_string(row.line) + ": " +
                            std::to_string(row.fields.size()) + " fields where the header has " +
                            std::to_string(columns) + "; nothing was imported");
        }
        if (mapping->kindColumn &&
            row.fields[*mapping->kindColumn] != mapping->format->recordKind) {
            ++counts.notRecords;
            return;
        }
        SourceRecord record{row.line, engine::RawRecord(fieldNames().size())};
        for (std::size_t field = 0; field < fieldNames().size(); ++field) {
            if (mapping->columns[field]) {
                record.values[field] = row.fields[*mapping->columns[field]];
            }
        }
        if (mapping->format->describeByHost) {
            record.values[kDescriptionField] = hostOf(record.values[kUrlField]);
        }
        ++counts.records;
        handle(record);
    });
    if (!mapping) {
        throw ToolError(fileName + ": line 1: the file holds no rows; nothing was imported");
    }
    if (counts.records + counts.notRecords == 0) {
        throw ToolError(fileName + ": line 2: only a header, no records after it");
    }
    return counts;
}

SourceCounts readJson(const std::string& fileName, const RecordHandler& handle) {
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMostJsonBytes) {
        throw ToolError(fileName + ": cannot read it as JSON of at most 256 MiB");
    }
    const QByteArray bytes = file.readAll();
    if (!isValidUtf8(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        throw ToolError(fileName + ": line " + std::to_string(firstInvalidLine(bytes)) +
                        ": not valid UTF-8 text; save the file as UTF-8; nothing was imported");
    }
    QJsonParseError parsed{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parsed);
    if (parsed.error != QJsonParseError::NoError || !document.isArray()) {
        const long line = 1 + bytes.left(parsed.offset).count('\n');
        throw ToolError(fileName + ": line " + std::to_string(line) +
                        ": not a JSON array of records (" + parsed.errorString().toStdString() +
                        "); nothing was imported");
    }
    SourceCounts counts;
    const QJsonArray records = document.array();
    for (qsizetype i = 0; i < records.size(); ++i) {
        const auto fail = [&](const std::string& what) {
            throw ToolError(fileName + ": element [" + std::to_string(i) + "]: " + what +
                            "; nothing was imported");
        };
        if (!records[i].isObject()) {
            fail(
                "not a record (an object of the fields DESCRIPTION, URL, LOGIN ID, PASSWORD "
                "and NOTE)");
        }
        const QJsonObject object = records[i].toObject();
        for (auto key = object.begin(); key != object.end(); ++key) {
            const std::string name = key.key().toStdString();
            if (std::find(fieldNames().begin(), fieldNames().end(), name) == fieldNames().end()) {
                fail("unknown key \"" + name + "\"");
            }
        }
        SourceRecord record{static_cast<long>(i + 1), engine::RawRecord(fieldNames().size())};
        for (std::size_t field = 0; field < fieldNames().size(); ++field) {
            const QJsonValue value = object.value(QString::fromStdString(fieldNames()[field]));
            if (!value.isString() && !value.isUndefined()) {
                fail(fieldNames()[field] + " is not text");
            }
            const QString text = value.toString();
            if (text.contains(QChar(0))) {
                fail(fieldNames()[field] + " holds a NUL character");
            }
            if (hasLoneSurrogate(text)) {
                fail(fieldNames()[field] + " holds half of a character (a lone surrogate)");
            }
            record.values[field] = text.toStdString();
        }
        ++counts.records;
        handle(record);
    }
    if (counts.records == 0) {
        throw ToolError(fileName + ": the JSON array holds no records");
    }
    return counts;
}

}  // namespace

SourceCounts readRecords(const std::string& fileName, const std::string& format,
                         const RecordHandler& handle) {
    if ((format == "auto" || format == "json") && looksLikeJson(fileName)) {
        return readJson(fileName, handle);
    }
    return readCsv(fileName, format, handle);
}

}  // namespace veltrop::table_tool
