#include "table_tool/default_table.h"

#include <QDir>

#include <filesystem>

#include "store/credential_table.h"

namespace veltrop::table_tool {

std::string menuEntryTable() {
    const QString configured = qEnvironmentVariable("XDG_DATA_HOME");
    const QString dataHome = QDir::isAbsolutePath(configured)
                                 ? configured
                                 : QDir::homePath() + QStringLiteral("/.local/share");
    return (dataHome + QStringLiteral("/veltrop/")).toStdString() + credentials::kFileName;
}

std::string defaultTable(bool makesTable, std::FILE* err) {
    std::error_code ignored;
    if (makesTable || std::filesystem::exists(credentials::kFileName, ignored)) {
        return credentials::kFileName;
    }
    const std::string menuTable = menuEntryTable();
    if (!std::filesystem::exists(menuTable, ignored)) {
        return credentials::kFileName;
    }
    std::fprintf(err, "veltrop-table: no %s here; using the menu entry's table %s\n",
                 credentials::kFileName, menuTable.c_str());
    return menuTable;
}

std::string noDefaultTable() {
    return std::string("no table found: neither ") + credentials::kFileName +
           " in the current folder nor " + menuEntryTable() +
           "; give FILE, or make a new table with 'veltrop-table create'";
}

}  // namespace veltrop::table_tool
