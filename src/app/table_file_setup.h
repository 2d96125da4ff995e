#pragma once

#include "engine/session.h"

namespace veltrop {

// Creates the credential table, empty, when the working directory has none, so a
// first start opens a new table instead of failing.
void createMissingCredentialTable(engine::Session& session);

}  // namespace veltrop
