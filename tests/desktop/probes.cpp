#include "probes.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "engine/record_lock_registry.h"
#include "store/credential_table.h"

namespace veltrop::testing {

bool recordIsBeingEdited(engine::RecordNumber number) {
    const int fd = open(credentials::kFileName, O_RDWR | O_CLOEXEC);
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = engine::recordLockOffset(number);
    probe.l_len = 1;
    const bool locked = fd >= 0 && fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    if (fd >= 0) {
        close(fd);
    }
    return locked;
}

bool becomesTrue(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace veltrop::testing
