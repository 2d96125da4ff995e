#pragma once

#include <memory>

#include "engine/table_file.h"

namespace veltrop {

struct RecordUnlock {
    engine::RecordNumber number;
    void operator()(engine::TableFile* file) const { file->unlock(number); }
};

// A record lock held until reset or destroyed, so that no path out of an edit can
// leave the record locked.
using RecordLock = std::unique_ptr<engine::TableFile, RecordUnlock>;

// Fails with the engine's RecordLocked when another holder has the record.
inline RecordLock lockRecord(engine::TableFile& file, engine::RecordNumber number) {
    file.lock(number);
    return RecordLock(&file, RecordUnlock{number});
}

}  // namespace veltrop
