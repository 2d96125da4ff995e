#pragma once

#include <string>

namespace veltrop::engine {

// Where this user's Veltrop keeps what belongs to this machine and must never travel with
// a table through a synced folder: $XDG_STATE_HOME/veltrop, by default
// ~/.local/state/veltrop.
std::string stateFolder();

// Makes the folder and any missing folder above it, readable by their owner only. False
// when one cannot be made.
bool makeFolders(const std::string& path);

}  // namespace veltrop::engine
