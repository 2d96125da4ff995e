#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <tuple>

namespace veltrop::engine {

// A file as it is now: any write changes its change time, a rename its inode.
using FileState = std::tuple<dev_t, ino_t, off_t, long, long>;

// The file's state, when it has not changed for a while; nothing otherwise.
std::optional<FileState> settledStateOf(const std::string& fileName);

// Whether the schema probe found a file in this state sound, in this run or an earlier
// one: a start on a table unchanged since the last start needs no new probe.
bool wasAdmitted(const FileState& state);

// Remembers that it did, in the state folder, which no sync service carries.
void rememberAdmitted(const FileState& state);

}  // namespace veltrop::engine
