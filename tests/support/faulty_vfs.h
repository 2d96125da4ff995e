#pragma once

#include <string>
#include <vector>

namespace veltrop::testing {

enum class FaultMode {
    OneShot,     // only the armed write point fails; the device recovers at once
    Persistent,  // the armed write point and every later one fail, like a full disk
};

enum class FaultKind {
    DiskFull,  // every failing point reports SQLITE_FULL
    IoError,   // each point reports the unix layer's own code for its kind of failure
};

// A storage layer registered under kName on top of the default unix one. It counts
// every write point (a write, sync or truncation of any file, the creation of a
// file, the deletion of a file) and can fail them on request. Register it through
// instance() before a session names it.
class FaultyVfs {
public:
    static constexpr const char* kName = "veltrop-faulty";

    static FaultyVfs& instance();

    // Counts afresh from now on; the point-th write point from now (1 is the next)
    // fails as mode and kind say.
    void arm(int point, FaultMode mode, FaultKind kind);
    // Lets every write point through again; the count goes on.
    void disarm();
    // Zeroes the count and the log without changing what is armed.
    void resetCount();

    int writePoints() const { return static_cast<int>(log_.size()); }
    int faultsInjected() const { return faults_; }
    // What each counted write point was, e.g. "sync Veltrop.DB-journal", in order.
    const std::vector<std::string>& log() const { return log_; }

private:
    friend struct FaultyVfsMethods;
    enum class Point { Write, Sync, Truncate, Create, Delete };

    FaultyVfs();
    // Counts the point and gives the code it fails with, or 0 to let it through.
    int pass(Point point, const char* fileName);

    int armedAt_ = 0;
    FaultMode mode_ = FaultMode::OneShot;
    FaultKind kind_ = FaultKind::DiskFull;
    int faults_ = 0;
    std::vector<std::string> log_;
};

}  // namespace veltrop::testing
