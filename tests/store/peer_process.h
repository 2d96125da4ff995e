#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace veltrop::testing {

// The table peer (table_peer.cpp) running as a separate process in the current working
// directory, spoken to one line at a time. Waits are generous: a slow machine makes a
// test slower, never failed. Every peer is reaped, whatever happens to the test.
class PeerProcess {
public:
    // Starts the peer and waits until it has opened the table; throws if it cannot.
    PeerProcess();
    // Kills the peer if it still runs and reaps it.
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    pid_t pid() const { return pid_; }

    // Sends one command line and returns the answer line ("ok ..." or "error ...").
    std::string command(const std::string& line);
    void send(const std::string& line);
    // The next line the peer wrote; nullopt once its output has ended.
    std::optional<std::string> readLine();

    // SIGKILL, then reaps. Output written before the kill can still be read.
    void kill();
    // Closes the peer's input, waits for it to exit by itself (killing it only after a
    // long wait) and returns its wait status.
    int finish();

private:
    pid_t pid_ = -1;
    int socket_ = -1;
    bool reaped_ = false;
    int status_ = 0;
    std::string pending_;
};

// True when the peer's answer reports an error.
bool isError(const std::string& answer);

}  // namespace veltrop::testing
