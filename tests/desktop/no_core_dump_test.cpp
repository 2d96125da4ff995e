// Both programs and the schema probe, started with an unlimited core limit, make
// themselves undumpable: their memory holds passwords and keys.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "child_process.h"
#include "probes.h"
#include "support/temp_folder.h"

namespace veltrop::testing {
namespace {

// The "Max core file size" line of /proc/PID/limits, e.g. "0 0" for soft and hard.
std::string coreLimit(pid_t pid) {
    std::ifstream limits("/proc/" + std::to_string(pid) + "/limits");
    std::string line;
    while (std::getline(limits, line)) {
        if (line.rfind("Max core file size", 0) == 0) {
            std::istringstream fields(line.substr(sizeof "Max core file size" - 1));
            std::string soft;
            std::string hard;
            fields >> soft >> hard;
            return soft + " " + hard;
        }
    }
    return {};
}

// Another user than the test's: root reads every process's memory anyway, but
// /proc/PID of an undumpable process belongs to root instead of its user.
constexpr uid_t kUser = 65534;

bool ownedByItsUser(pid_t pid) {
    struct stat info {};
    return stat(("/proc/" + std::to_string(pid) + "/status").c_str(), &info) == 0 &&
           info.st_uid == kUser;
}

bool hasCoreFile(const std::string& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("core", 0) == 0) {
            return true;
        }
    }
    return false;
}

class NoCoreDumpTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
        ASSERT_EQ(setrlimit(RLIMIT_CORE, &unlimited), 0);
        ASSERT_EQ(pipe(input_), 0);
        std::filesystem::permissions(folder_.path(), std::filesystem::perms::all);
    }
    void TearDown() override {
        close(input_[0]);
        close(input_[1]);
    }

    // As kUser, with a standard input that never ends, so that the tool waits on it.
    std::unique_ptr<ChildProcess> start(std::vector<std::string> command) {
        const std::string user = std::to_string(kUser);
        command.insert(command.begin(), {"/usr/bin/setpriv", "--reuid=" + user, "--regid=" + user,
                                         "--clear-groups"});
        const int saved = dup(STDIN_FILENO);
        dup2(input_[0], STDIN_FILENO);
        auto child =
            std::make_unique<ChildProcess>(command, folder_.path(), std::vector<std::string>{});
        dup2(saved, STDIN_FILENO);
        close(saved);
        return child;
    }

    // Whether a process of kUser owns its /proc entries and leaves a core file here on
    // SIGABRT: otherwise neither would prove anything.
    bool coresAreWritten() {
        auto control = start({"/bin/sh", "-c", "test -O /proc/$$/status && kill -ABRT $$"});
        control->waitForExit(std::chrono::seconds(30));
        const bool written = hasCoreFile(folder_.path());
        for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
            if (entry.path().filename().string().rfind("core", 0) == 0) {
                std::filesystem::remove(entry.path());
            }
        }
        return written;
    }

    TempFolder folder_;
    int input_[2] = {-1, -1};
};

TEST_P(NoCoreDumpTest, RunsUndumpableWithoutCoreLimitAndLeavesNoCore) {
    const bool control = coresAreWritten();
    ASSERT_TRUE(control) << "this system shows neither the flag nor core files";
    if (std::string(GetParam()) == VELTROP_TABLE_TOOL) {
        auto create = start({GetParam(), "create"});
        ASSERT_EQ(create->waitForExit(std::chrono::seconds(60)), 0);
    }
    // Each waits for a password or key on the standard input, or runs until closed.
    auto program = std::string(GetParam()) == VELTROP_TABLE_TOOL
                       ? start({GetParam(), "protect", "--password-stdin"})
                   : std::string(GetParam()) == VELTROP_SCHEMA_PROBE
                       ? start({GetParam(), "Veltrop.DB", "read-only", "100"})
                       : start({GetParam()});
    const pid_t pid = program->pid();
    EXPECT_TRUE(becomesTrue([&] { return !ownedByItsUser(pid) && coreLimit(pid) == "0 0"; }))
        << "core limit " << coreLimit(pid) << ", dumpable " << ownedByItsUser(pid);

    kill(pid, SIGABRT);
    EXPECT_EQ(program->waitForExit(std::chrono::seconds(60)), -SIGABRT);
    EXPECT_FALSE(hasCoreFile(folder_.path()));
}

INSTANTIATE_TEST_SUITE_P(EveryProgram, NoCoreDumpTest,
                         ::testing::Values(VELTROP_PROGRAM, VELTROP_TABLE_TOOL,
                                           VELTROP_SCHEMA_PROBE));

}  // namespace
}  // namespace veltrop::testing
