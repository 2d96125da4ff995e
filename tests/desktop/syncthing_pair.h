#pragma once

#include <QJsonDocument>
#include <chrono>
#include <memory>
#include <string>

#include "child_process.h"

namespace veltrop::testing {

// Two real Syncthing instances on 127.0.0.1 that keep folder A and folder B in step:
// nothing listens beyond loopback, and global and local discovery, relays, NAT, STUN,
// usage and crash reports are all off. Both are waited for through their REST API, and
// stopped when the object goes.
class SyncthingPair {
public:
    enum Side { A, B };

    SyncthingPair(const std::string& folderA, const std::string& folderB);
    ~SyncthingPair();
    SyncthingPair(const SyncthingPair&) = delete;
    SyncthingPair& operator=(const SyncthingPair&) = delete;

    // Whether the two are connected and hold the same version of every file, each
    // side's local files being that version; false after the limit.
    bool waitInSync(std::chrono::seconds limit = std::chrono::seconds(30));
    // Pauses and resumes the connection between the two.
    void pause();
    void resume();

    QJsonDocument get(Side side, const std::string& path);
    void post(Side side, const std::string& path);

private:
    struct Instance;
    bool connected();
    bool sameEverywhere();

    std::unique_ptr<Instance> a_;
    std::unique_ptr<Instance> b_;
};

}  // namespace veltrop::testing
