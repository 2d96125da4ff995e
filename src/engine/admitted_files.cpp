#include "engine/admitted_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <mutex>
#include <sstream>

#include "engine/aside_files.h"
#include "engine/state_folder.h"

namespace veltrop::engine {

namespace {

// Enough for the tables one user opens in turn; the oldest are forgotten first.
constexpr std::size_t kRemembered = 16;

class AdmittedFiles {
public:
    AdmittedFiles() : fileName_(stateFolder() + "/admitted-tables") { load(); }

    bool contains(const FileState& state) {
        const std::lock_guard<std::mutex> guard(mutex_);
        return std::find(states_.begin(), states_.end(), state) != states_.end();
    }

    void add(const FileState& state) {
        const std::lock_guard<std::mutex> guard(mutex_);
        states_.push_back(state);
        if (states_.size() > kRemembered) {
            states_.pop_front();
        }
        save();
    }

private:
    void load() {
        const int fd = open(fileName_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) {
            return;
        }
        char buffer[kRemembered * 96];
        const ssize_t got = read(fd, buffer, sizeof buffer);
        close(fd);
        std::istringstream lines(std::string(buffer, got > 0 ? static_cast<size_t>(got) : 0));
        FileState state;
        while (lines >> std::get<0>(state) >> std::get<1>(state) >> std::get<2>(state) >>
               std::get<3>(state) >> std::get<4>(state)) {
            states_.push_back(state);
        }
    }

    // Written aside and renamed into place, so that another program's start reads the
    // old list or the new one. Only a cost saving: a failure is no error.
    void save() const {
        std::ostringstream text;
        for (const auto& [device, inode, size, seconds, nanoseconds] : states_) {
            text << device << ' ' << inode << ' ' << size << ' ' << seconds << ' ' << nanoseconds
                 << '\n';
        }
        const std::string content = text.str();
        std::string aside;
        const int fd =
            makeFolders(stateFolder()) ? createAsideFile(fileName_, kRewriteMarker, aside) : -1;
        if (fd < 0) {
            return;
        }
        const bool written =
            write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
        close(fd);
        if (written) {
            putInPlace(aside, fileName_, true);
        } else {
            removeAsideFile(aside);
        }
    }

    const std::string fileName_;
    std::mutex mutex_;
    std::deque<FileState> states_;
};

AdmittedFiles& admittedFiles() {
    static AdmittedFiles* files = new AdmittedFiles;
    return *files;
}

}  // namespace

// The change time has the granularity of the kernel's clock tick, so a file changed
// within the last second could change again without its change time showing it.
std::optional<FileState> settledStateOf(const std::string& fileName) {
    struct stat info {};
    timespec now{};
    if (stat(fileName.c_str(), &info) != 0 || clock_gettime(CLOCK_REALTIME, &now) != 0 ||
        now.tv_sec - info.st_ctim.tv_sec < 2) {
        return std::nullopt;
    }
    return FileState{info.st_dev, info.st_ino, info.st_size, info.st_ctim.tv_sec,
                     info.st_ctim.tv_nsec};
}

bool wasAdmitted(const FileState& state) {
    return admittedFiles().contains(state);
}

void rememberAdmitted(const FileState& state) {
    admittedFiles().add(state);
}

}  // namespace veltrop::engine
