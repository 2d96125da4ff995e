#include "table_tool/table_access.h"

#include "engine/file_owner.h"
#include "engine/file_probe.h"
#include "engine/secret.h"
#include "table_tool/table_fields.h"
#include "table_tool/tool_error.h"

namespace veltrop::table_tool {

bool isProtected(const std::string& fileName) {
    return engine::probeFile(fileName).kind == engine::FileKind::Protected;
}

void requireOwnTable(const std::string& fileName) {
    if (engine::belongsToAnotherUser(fileName)) {
        throw ToolError(fileName +
                        " belongs to another user; this tool writes only into your own tables, "
                        "so nothing was changed");
    }
}

void unlock(engine::Session& session, const std::string& fileName, PasswordSource& passwords) {
    if (isProtected(fileName)) {
        session.addPassword(passwords.current(fileName).view());
    }
}

std::unique_ptr<engine::TableFile> openCredentialTable(engine::Session& session,
                                                       const std::string& fileName,
                                                       engine::OpenMode mode) {
    // A reader opens a writable file for writing too: only then can the storage library
    // roll back what a killed writer left in its journal.
    if (mode == engine::OpenMode::ReadOnly && engine::probeFile(fileName).writable) {
        mode = engine::OpenMode::ReadWrite;
    }
    auto table = session.openTable(fileName, mode);
    const auto& fields = table->definition().fields;
    bool same = fields.size() == fieldNames().size();
    for (std::size_t i = 0; same && i < fields.size(); ++i) {
        same = fields[i].name == fieldNames()[i];
    }
    if (!same) {
        throw ToolError(fileName +
                        ": its fields are not those of a Veltrop table; run "
                        "'veltrop-table check' on it");
    }
    return table;
}

namespace {

std::string oneLine(std::string text) {
    for (auto at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
        text.replace(at, 1, "; ");
    }
    return text;
}

}  // namespace

std::string describeFailure(const engine::EngineError& error, const std::string& fileName) {
    using engine::ErrorCode;
    const std::string& file = error.fileName().empty() ? fileName : error.fileName();
    switch (error.code()) {
        case ErrorCode::InsufficientRights:
            return file + ": wrong password; nothing was changed. Give the table's password";
        case ErrorCode::TableInUse:
            return file + " is open in another program; close it first";
        case ErrorCode::TableLocked:
            return file + " is being changed by another program; try again when it is done";
        case ErrorCode::TableNotFound:
            return file +
                   ": no such file; check the name, or make a new table with "
                   "'veltrop-table create'";
        case ErrorCode::TableExists:
            return file + " already exists; choose another name";
        case ErrorCode::DiskFull:
            return file +
                   ": the disk is full; the table is unchanged. Free some space and try "
                   "again";
        case ErrorCode::ReadOnly:
            return file + ": the file is read-only; allow writing to it first";
        case ErrorCode::NotATable:
        case ErrorCode::TableDamaged:
        case ErrorCode::WrongStructure:
            return oneLine(error.message()) + "; run 'veltrop-table check " + file + "'";
        default:
            return oneLine(error.message()) + "; the table is unchanged";
    }
}

}  // namespace veltrop::table_tool
