// The input becomes a CSV export, imported by the table tool into a fresh table in every
// format, and again with cutting where that failed. An import either succeeds, leaving a sound
// table of valid text that fits its fields, or fails with the tool's error and leaves the table
// file byte for byte as it was.
#include <cstdint>
#include <string>

#include "engine/session.h"
#include "scratch_folder.h"
#include "store/credential_table.h"
#include "support/file_bytes.h"
#include "table_tool/importer.h"
#include "table_tool/table_access.h"
#include "table_tool/tool_error.h"
#include "table_tool/utf8_text.h"

namespace {

using namespace veltrop;

constexpr const char* kTable = credentials::kFileName;
constexpr const char* kExport = "export.csv";
const char* const kFormats[] = {"auto", "veltrop", "keepassxc", "bitwarden", "chrome", "firefox"};

const fuzz::ScratchFolder folder;
engine::Session* session;
const std::string* freshTable;

void checkImported(engine::TableFile& table, const table_tool::ImportReport& report, bool cut) {
    if (table.recordCount() != report.imported || (!cut && !report.cuts.empty())) {
        fuzz::violated("the table does not hold what the import reports");
    }
    if (!table.integrityProblems(true).empty()) {
        fuzz::violated("the import left a damaged table");
    }
    const auto& fields = table.definition().fields;
    for (const auto& row : table.readFrom(0, static_cast<int>(report.imported))) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const std::string& value = row.values.at(i);
            if (!table_tool::isValidUtf8(value)) {
                fuzz::violated("an imported value is not valid UTF-8");
            }
            if (fields[i].kind == engine::FieldKind::Text &&
                table_tool::characterCount(value) > static_cast<std::size_t>(fields[i].size)) {
                fuzz::violated("an imported value is longer than its field " + fields[i].name);
            }
        }
    }
}

// True when the import succeeded.
bool importAs(const char* format, bool cut) {
    testing::writeFileBytes(kTable, *freshTable);
    try {
        auto table = table_tool::openCredentialTable(*session, kTable, engine::OpenMode::ReadWrite);
        const auto report = table_tool::importRecords(*table, kExport, {format, cut});
        checkImported(*table, report, cut);
        return true;
    } catch (const table_tool::ToolError&) {
    }
    if (testing::readFileBytes(kTable) != *freshTable) {
        fuzz::violated(std::string("a failed import as ") + format + " changed the table");
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const fuzz::InsideFolder inside(folder);
    session = new engine::Session;
    session->createTable(kTable, credentials::definition());
    freshTable = new std::string(testing::readFileBytes(kTable));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::InsideFolder inside(folder);
    testing::writeFileBytes(kExport, std::string(reinterpret_cast<const char*>(data), size));
    for (const char* format : kFormats) {
        // Where nothing needs cutting, cutting changes nothing: try it only after a failure.
        if (!importAs(format, false)) {
            importAs(format, true);
        }
    }
    return 0;
}
