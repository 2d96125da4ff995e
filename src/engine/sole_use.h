#pragma once

#include <string>

namespace veltrop::engine {

// The table file's "in use" lock taken alone, for as long as the object lives: no
// program has the table open meanwhile, and none can open it. Fails with TableInUse
// when a program has it open.
class SoleUse {
public:
    explicit SoleUse(const std::string& fileName);
    ~SoleUse();
    SoleUse(const SoleUse&) = delete;
    SoleUse& operator=(const SoleUse&) = delete;

private:
    int fd_;
};

// Whether a program has the table open now, asked without disturbing it.
bool isOpenElsewhere(const std::string& fileName);

}  // namespace veltrop::engine
