#include "store/peer_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace veltrop::testing {

namespace {

// Only a hung peer takes this long; a slow one never does.
constexpr auto kAnswerTimeout = std::chrono::seconds(120);
constexpr auto kExitTimeout = std::chrono::seconds(60);

std::runtime_error peerFailure(pid_t pid, const std::string& what) {
    return std::runtime_error("table peer " + std::to_string(pid) + ": " + what);
}

}  // namespace

PeerProcess::PeerProcess() {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        throw std::runtime_error("socketpair failed");
    }
    socket_ = ends[0];
    // The peer reads its commands from and answers on its end of the socket; dup2 clears
    // close-on-exec on the copies, so nothing else of this process leaks into the peer.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    char* argv[] = {const_cast<char*>(VELTROP_TABLE_PEER), nullptr};
    const int spawned = posix_spawn(&pid_, VELTROP_TABLE_PEER, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (spawned != 0) {
        close(socket_);
        throw std::runtime_error(std::string("cannot start ") + VELTROP_TABLE_PEER);
    }
    std::optional<std::string> greeting;
    try {
        greeting = readLine();
    } catch (...) {
        kill();
        close(socket_);
        throw;
    }
    if (greeting != "ok ready") {
        kill();
        close(socket_);
        throw peerFailure(pid_, "did not open the table: " + greeting.value_or("(no output)"));
    }
}

PeerProcess::~PeerProcess() {
    kill();
    if (socket_ >= 0) {
        close(socket_);
    }
}

std::string PeerProcess::command(const std::string& line) {
    send(line);
    std::optional<std::string> answer = readLine();
    if (!answer) {
        throw peerFailure(pid_, "ended without answering \"" + line + "\"");
    }
    return *answer;
}

void PeerProcess::send(const std::string& line) {
    const std::string data = line + "\n";
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(socket_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw peerFailure(pid_, "does not take input");
        }
        sent += static_cast<std::size_t>(n);
    }
}

std::optional<std::string> PeerProcess::readLine() {
    const auto deadline = std::chrono::steady_clock::now() + kAnswerTimeout;
    for (;;) {
        const std::size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            throw peerFailure(pid_,
                              "wrote nothing for " + std::to_string(kAnswerTimeout.count()) + " s");
        }
        pollfd ready{socket_, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        char chunk[4096];
        const ssize_t n = read(socket_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // A line cut off by a kill was never reported, so it is dropped.
            pending_.clear();
            return std::nullopt;
        }
        pending_.append(chunk, static_cast<std::size_t>(n));
    }
}

int PeerProcess::finish() {
    if (!reaped_) {
        shutdown(socket_, SHUT_WR);
        const auto deadline = std::chrono::steady_clock::now() + kExitTimeout;
        while (std::chrono::steady_clock::now() < deadline) {
            if (waitpid(pid_, &status_, WNOHANG) == pid_) {
                reaped_ = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        kill();
    }
    return status_;
}

void PeerProcess::kill() {
    if (reaped_) {
        return;
    }
    // Until it is reaped the pid stays ours, so this can never hit another process.
    ::kill(pid_, SIGKILL);
    while (waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
}

bool isError(const std::string& answer) {
    return answer.rfind("error ", 0) == 0;
}

}  // namespace veltrop::testing
