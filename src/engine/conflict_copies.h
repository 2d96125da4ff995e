#pragma once

#include <string>
#include <vector>

namespace veltrop::engine {

// The copies of a table that file-sync services leave beside it when two machines
// changed it before they met, e.g. for Veltrop.DB:
//   Syncthing  Veltrop.sync-conflict-20261209-051500-ABCDEFG.DB
//   Nextcloud  Veltrop (conflicted copy 2026-12-09 051500).DB
//   Dropbox    Veltrop (Anna's conflicted copy 2026-12-09).DB
// Their paths, sorted; none when the folder cannot be read.
std::vector<std::string> findConflictCopies(const std::string& fileName);

}  // namespace veltrop::engine
