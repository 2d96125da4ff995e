#pragma once

#include <functional>

#include "engine/table_file.h"

namespace veltrop::testing {

// Whether some process holds the record's edit lock in Veltrop.DB of the working
// directory, asked without taking it.
bool recordIsBeingEdited(engine::RecordNumber number);

// Looks at a condition that no X event announces (a lock, a file) every few
// milliseconds; false when it has not held within a generous minute.
bool becomesTrue(const std::function<bool()>& condition);

}  // namespace veltrop::testing
