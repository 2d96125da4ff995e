#pragma once

#include <cstdio>
#include <string>

namespace veltrop::table_tool {

// The table that the menu entry's launcher keeps: $XDG_DATA_HOME/veltrop/Veltrop.DB, or
// under ~/.local/share when XDG_DATA_HOME is unset or not an absolute path.
std::string menuEntryTable();

// The table a command works on when FILE is not given: Veltrop.DB of the current folder;
// when there is none, the menu entry's table if it exists, which is said on err. A
// command that makes a table always makes it in the current folder.
std::string defaultTable(bool makesTable, std::FILE* err);

// The failure when neither place holds a table.
std::string noDefaultTable();

}  // namespace veltrop::table_tool
