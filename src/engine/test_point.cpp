#include "engine/test_point.h"

#include <csignal>
#include <cstdlib>
#include <cstring>

namespace veltrop::engine {

void reachPoint(const char* name) {
    const char* chosen = std::getenv("VELTROP_KILL_AT");
    if (chosen && std::strcmp(chosen, name) == 0) {
        std::raise(SIGKILL);
    }
}

}  // namespace veltrop::engine
