#include "engine/schema_probe.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "engine/error.h"

extern char** environ;

namespace veltrop::engine {

namespace {

// The most a schema of 64 objects of 4 KiB values takes; more is no answer of the probe.
constexpr std::size_t kLongestAnswer = std::size_t{2} << 20;

[[noreturn]] void cannotStart(const std::string& fileName, const std::string& why) {
    throw EngineError(ErrorCode::StorageFailure, fileName,
                      {"The schema probe " + schemaProbeProgram() + " cannot run: " + why}, -1);
}

bool isProgram(const std::string& path) {
    return access(path.c_str(), X_OK) == 0;
}

// The key goes down a pipe, never on the command line or in the environment. A probe
// that died before reading it must not take this program down with SIGPIPE.
void writeKey(int fd, const Secret& keyText) {
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    std::size_t written = 0;
    bool broken = false;
    while (written < keyText.size()) {
        const ssize_t done = write(fd, keyText.data() + written, keyText.size() - written);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            broken = errno == EPIPE;
            break;
        }
        written += static_cast<std::size_t>(done);
    }
    if (broken) {
        const timespec now{0, 0};
        sigtimedwait(&pipeSignal, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

// Everything the probe writes, until it closes its output; false when it takes too long
// or says too much.
bool readAnswer(int fd, int timeoutMs, std::string& answer) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[16384];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd ready{fd, POLLIN, 0};
        const int polled = left > 0 ? poll(&ready, 1, static_cast<int>(left)) : 0;
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled <= 0) {
            return false;
        }
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        answer.append(buffer, static_cast<std::size_t>(got));
        if (answer.size() > kLongestAnswer) {
            return false;
        }
    }
}

class AnswerReader {
public:
    explicit AnswerReader(const std::string& answer) : answer_(answer) {}

    bool atEnd() const { return at_ >= answer_.size(); }

    bool expect(char c) {
        if (at_ < answer_.size() && answer_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    bool number(long& value) {
        const char* begin = answer_.c_str() + at_;
        char* end = nullptr;
        errno = 0;
        value = std::strtol(begin, &end, 10);
        if (end == begin || errno != 0) {
            return false;
        }
        at_ += static_cast<std::size_t>(end - begin);
        return true;
    }

    bool value(std::optional<std::string>& text) {
        if (expect('-')) {
            text.reset();
            return true;
        }
        long size = 0;
        if (!number(size) || size < 0 || !expect(':') ||
            static_cast<std::size_t>(size) > answer_.size() - at_) {
            return false;
        }
        text = answer_.substr(at_, static_cast<std::size_t>(size));
        at_ += static_cast<std::size_t>(size);
        return true;
    }

private:
    const std::string& answer_;
    std::size_t at_ = 0;
};

bool parseAnswer(const std::string& answer, ProbeOutcome& outcome) {
    AnswerReader reader(answer);
    long code = 0;
    std::optional<std::string> message;
    if (!reader.number(code) || !reader.expect('\n') || !reader.value(message)) {
        return false;
    }
    outcome.resultCode = static_cast<int>(code);
    outcome.message = message.value_or("");
    while (!reader.atEnd()) {
        std::optional<std::string> type, name, table;
        SchemaObject object;
        if (!reader.expect('\n') || !reader.value(type) || !reader.value(name) ||
            !reader.value(table) || !reader.value(object.sql)) {
            return false;
        }
        object.type = type.value_or("");
        object.name = name.value_or("");
        object.table = table.value_or("");
        outcome.objects.push_back(std::move(object));
    }
    return true;
}

struct Pipe {
    int ends[2] = {-1, -1};
    ~Pipe() { closeBoth(); }
    void closeEnd(int which) {
        if (ends[which] >= 0) {
            close(ends[which]);
            ends[which] = -1;
        }
    }
    void closeBoth() {
        closeEnd(0);
        closeEnd(1);
    }
};

}  // namespace

std::string schemaProbeProgram() {
    static const std::string found = [] {
        const std::string name = "veltrop-schema-probe";
        char self[4096];
        const ssize_t size = readlink("/proc/self/exe", self, sizeof self - 1);
        if (size > 0) {
            const std::string path(self, static_cast<std::size_t>(size));
            const std::string folder = path.substr(0, path.rfind('/'));
            for (const std::string& candidate :
                 {folder + "/" + name, folder + "/../libexec/veltrop/" + name}) {
                if (isProgram(candidate)) {
                    return candidate;
                }
            }
        }
        return std::string(VELTROP_SCHEMA_PROBE_BUILT);
    }();
    return found;
}

ProbeOutcome probeSchema(const std::string& fileName, const Secret& keyText, bool readOnly,
                         int busyTimeoutMs, int timeLimitMs) {
    const std::string program = schemaProbeProgram();
    Pipe input;
    Pipe output;
    if (pipe2(input.ends, O_CLOEXEC) != 0 || pipe2(output.ends, O_CLOEXEC) != 0) {
        cannotStart(fileName, std::strerror(errno));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input.ends[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output.ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string mode = readOnly ? "read-only" : "read-write";
    const std::string busy = std::to_string(busyTimeoutMs);
    char* arguments[] = {const_cast<char*>(program.c_str()), const_cast<char*>(fileName.c_str()),
                         const_cast<char*>(mode.c_str()), const_cast<char*>(busy.c_str()), nullptr};
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        cannotStart(fileName, std::strerror(spawned));
    }
    input.closeEnd(0);
    output.closeEnd(1);
    writeKey(input.ends[1], keyText);
    input.closeEnd(1);

    std::string answer;
    const bool answered = readAnswer(output.ends[0], timeLimitMs, answer);
    if (!answered) {
        kill(child, SIGKILL);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ProbeOutcome outcome;
    outcome.crashed = !answered || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
                      !parseAnswer(answer, outcome);
    return outcome;
}

}  // namespace veltrop::engine
