#include "core/no_core_dumps.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace veltrop {

void disableCoreDumps() {
    // Both, for a core handler such as systemd-coredump takes the dump whatever the
    // limit says, and a limit of zero still holds should something make the process
    // dumpable again.
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    const rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
}

}  // namespace veltrop
