#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <string>
#include <vector>

#include "engine/session.h"
#include "support/temp_folder.h"

namespace veltrop::testing {

using ToolRecord = std::vector<std::string>;

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

// Runs the table tool's commands in this process, in a fresh working folder.
class ToolFixture : public ::testing::Test {
protected:
    static constexpr const char* kTable = "Veltrop.DB";

    ToolRun run(const QStringList& arguments, const engine::SessionOptions& options = {});
    // A new plain table holding the records.
    void createTable(const std::string& fileName, const std::vector<ToolRecord>& records);
    std::vector<ToolRecord> records(const std::string& fileName,
                                    const std::vector<std::string>& passwords = {});

    TempFolder folder_;
};

// Runs the tool as a program with this text on standard input, and these variables
// ("NAME=VALUE") added to its environment. A program killed by a signal has status -1.
ToolRun runProgram(const QStringList& arguments, const std::string& input = {},
                   const QStringList& environment = {});

}  // namespace veltrop::testing
