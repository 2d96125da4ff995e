#pragma once

#include <functional>
#include <string>

namespace veltrop::engine {

// The table file's "in use" lock taken alone, for as long as the object lives: no
// program has the table open meanwhile, and none can open it. Fails with TableInUse
// when a program has it open, and with TableLocked when another file keeps taking the
// name's place while the lock is taken.
class SoleUse {
public:
    explicit SoleUse(const std::string& fileName);
    ~SoleUse();
    SoleUse(const SoleUse&) = delete;
    SoleUse& operator=(const SoleUse&) = delete;

    // For tests: runs between opening the file and locking it, where another program may
    // put a new file in the name's place.
    static void setBeforeLockHook(std::function<void()> hook);

private:
    int fd_ = -1;
};

// Whether a program has the table open now, asked without disturbing it.
bool isOpenElsewhere(const std::string& fileName);

}  // namespace veltrop::engine
