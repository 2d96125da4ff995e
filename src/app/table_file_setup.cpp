#include "app/table_file_setup.h"

#include <filesystem>

#include "store/credential_table.h"

namespace veltrop {

void createMissingCredentialTable(engine::Session& session) {
    // symlink_status: a dangling link is something there, left for opening to report.
    std::error_code error;
    const auto status = std::filesystem::symlink_status(credentials::kFileName, error);
    if (status.type() != std::filesystem::file_type::not_found) {
        return;
    }
    try {
        session.createTable(credentials::kFileName, credentials::definition());
    } catch (const engine::EngineError& failure) {
        // Another process made it first: open that one.
        if (failure.code() != engine::ErrorCode::TableExists) {
            throw;
        }
    }
}

}  // namespace veltrop
