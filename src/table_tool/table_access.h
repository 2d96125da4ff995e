#pragma once

#include <memory>
#include <string>

#include "engine/error.h"
#include "engine/session.h"
#include "table_tool/password_source.h"

namespace veltrop::table_tool {

// Lists the table's password in the session when the file is protected, asking for it.
void unlock(engine::Session& session, const std::string& fileName, PasswordSource& passwords);

bool isProtected(const std::string& fileName);

// Fails with a ToolError when the table file belongs to another user: the tool writes
// only into its user's own tables.
void requireOwnTable(const std::string& fileName);

// Opens the credential table, for writing whenever the file allows it; fails with a
// ToolError when its fields are not the credential table's.
std::unique_ptr<engine::TableFile> openCredentialTable(engine::Session& session,
                                                       const std::string& fileName,
                                                       engine::OpenMode mode);

// One line saying what went wrong with the file and what to do about it.
std::string describeFailure(const engine::EngineError& error, const std::string& fileName);

}  // namespace veltrop::table_tool
