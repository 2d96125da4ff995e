#pragma once

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"

namespace veltrop::testing {

// A private D-Bus session bus with its socket in the folder, for the lifetime of
// the object.
class SessionBus {
public:
    explicit SessionBus(const std::string& folder);
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    // The environment entry that puts a program on this bus.
    const std::string& environmentEntry() const { return environmentEntry_; }

private:
    std::string environmentEntry_;
    std::unique_ptr<ChildProcess> daemon_;
};

}  // namespace veltrop::testing
