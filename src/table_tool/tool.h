#pragma once

#include <QStringList>

#include <cstdio>

#include "engine/session.h"

namespace veltrop::table_tool {

// Runs "veltrop-table COMMAND [FILE] [ARGUMENTS] [OPTIONS]" (arguments without the
// program's name) and gives the exit status: 0 done, 1 failed, 2 bad usage.
int runTool(const QStringList& arguments, std::FILE* out, std::FILE* err,
            const engine::SessionOptions& sessionOptions = {});

}  // namespace veltrop::table_tool
