#pragma once

namespace veltrop::engine {

// A named moment of a write where a kill would leave the most behind. When the
// environment's VELTROP_KILL_AT names it, the process kills itself there with SIGKILL,
// so that tests can kill it at exactly that moment.
void reachPoint(const char* name);

}  // namespace veltrop::engine
