#include "syncthing_pair.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <stdexcept>

#include "support/temp_folder.h"

namespace veltrop::testing {

namespace {

constexpr const char* kSyncthing = "/usr/bin/syncthing";
constexpr const char* kFolderId = "veltrop";

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A port on 127.0.0.1 that nothing uses now.
int freePort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t size = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        close(fd);
        throw std::runtime_error("no free port on 127.0.0.1");
    }
    close(fd);
    return ntohs(address.sin_port);
}

// One HTTP/1.0 exchange with the REST API; the body, or "" when it failed. Bounded by a
// receive timeout, so a hung instance cannot hold the test.
std::string request(int port, const std::string& apiKey, const std::string& method,
                    const std::string& path, int* status = nullptr) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    timeval limit{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    sockaddr_in address = loopback(port);
    std::string response;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string text = method + " " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n" +
                                 "X-API-Key: " + apiKey + "\r\nContent-Length: 0\r\n\r\n";
        if (write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size())) {
            char buffer[8192];
            for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
                response.append(buffer, static_cast<size_t>(got));
            }
        }
    }
    close(fd);
    int code = 0;
    std::sscanf(response.c_str(), "HTTP/%*s %d", &code);
    if (status) {
        *status = code;
    }
    const auto body = response.find("\r\n\r\n");
    return code == 200 && body != std::string::npos ? response.substr(body + 4) : std::string();
}

}  // namespace

struct SyncthingPair::Instance {
    std::string home;
    std::string folder;
    std::string id;
    std::string apiKey;
    int guiPort = freePort();
    int listenPort = freePort();
    std::unique_ptr<ChildProcess> process;

    Instance(const std::string& homeFolder, const std::string& sharedFolder, const char* key)
        : home(homeFolder), folder(sharedFolder), apiKey(key) {
        std::filesystem::create_directories(home);
        std::filesystem::create_directories(folder + "/.stfolder");
        ChildProcess generate({kSyncthing, "generate", "--home=" + home, "--no-default-folder"},
                              home, {});
        generate.waitForExit(std::chrono::seconds(30));
        const std::string config = readFileBytes(home + "/config.xml");
        std::smatch found;
        if (!std::regex_search(config, found, std::regex("<device id=\"([A-Z0-9-]+)\""))) {
            throw std::runtime_error("syncthing generate made no device");
        }
        id = found[1];
    }

    // Only one side dials: Syncthing dials from its listening port, so two instances dialing
    // each other at once can meet in one TCP connection where both sides act as the TLS
    // client, which hangs until the handshake times out.
    void configure(const Instance& peer, bool dialsPeer) {
        const std::string peerAddress =
            dialsPeer ? "tcp://127.0.0.1:" + std::to_string(peer.listenPort) : "dynamic";
        const std::string device = R"(<device id=")";
        writeFileBytes(
            home + "/config.xml",
            R"(<configuration version="36">
  <folder id=")" +
                std::string(kFolderId) + R"(" label="veltrop" path=")" + folder +
                R"(" type="sendreceive" rescanIntervalS="3600" fsWatcherEnabled="true" fsWatcherDelayS="1">
    <filesystemType>basic</filesystemType>
    )" + device +
                id + R"("></device>
    )" + device +
                peer.id + R"("></device>
    <minDiskFree unit="%">0</minDiskFree>
    <maxConflicts>10</maxConflicts>
  </folder>
  )" + device + id +
                R"(" name="self"><address>dynamic</address></device>
  )" + device + peer.id +
                R"(" name="peer"><address>)" + peerAddress + R"(</address></device>
  <gui enabled="true" tls="false"><address>127.0.0.1:)" +
                std::to_string(guiPort) + "</address><apikey>" + apiKey + R"(</apikey></gui>
  <options>
    <listenAddress>tcp://127.0.0.1:)" +
                std::to_string(listenPort) + R"(</listenAddress>
    <globalAnnounceEnabled>false</globalAnnounceEnabled>
    <localAnnounceEnabled>false</localAnnounceEnabled>
    <relaysEnabled>false</relaysEnabled>
    <natEnabled>false</natEnabled>
    <urAccepted>-1</urAccepted>
    <crashReportingEnabled>false</crashReportingEnabled>
    <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
    <startBrowser>false</startBrowser>
    <stunKeepaliveStartS>0</stunKeepaliveStartS>
    <stunServer></stunServer>
    <announceLANAddresses>false</announceLANAddresses>
    <reconnectionIntervalS>1</reconnectionIntervalS>
    <minHomeDiskFree unit="%">0</minHomeDiskFree>
  </options>
</configuration>
)");
    }

    void start() {
        process = std::make_unique<ChildProcess>(
            std::vector<std::string>{kSyncthing, "serve", "--home=" + home, "--no-browser",
                                     "--no-restart", "--no-upgrade", "--logfile=" + home + "/log"},
            home, std::vector<std::string>{"STNODEFAULTFOLDER=1", "STNOUPGRADE=1"});
    }

    QJsonDocument get(const std::string& path) const {
        return QJsonDocument::fromJson(
            QByteArray::fromStdString(request(guiPort, apiKey, "GET", path)));
    }
};

SyncthingPair::SyncthingPair(const std::string& folderA, const std::string& folderB) {
    static int pairs = 0;
    const std::string homes = std::filesystem::temp_directory_path().string() + "/veltrop-st-" +
                              std::to_string(getpid()) + "-" + std::to_string(++pairs);
    a_ = std::make_unique<Instance>(homes + "/a", folderA, "veltrop-test-key-a");
    b_ = std::make_unique<Instance>(homes + "/b", folderB, "veltrop-test-key-b");
    a_->configure(*b_, true);
    b_->configure(*a_, false);
    a_->start();
    b_->start();
}

SyncthingPair::~SyncthingPair() {
    const std::string homes = std::filesystem::path(a_->home).parent_path();
    for (Instance* instance : {a_.get(), b_.get()}) {
        if (instance->process) {
            instance->process->stop(std::chrono::seconds(10));
        }
    }
    std::filesystem::remove_all(homes);
}

QJsonDocument SyncthingPair::get(Side side, const std::string& path) {
    return (side == A ? a_ : b_)->get(path);
}

void SyncthingPair::post(Side side, const std::string& path) {
    const Instance& instance = side == A ? *a_ : *b_;
    request(instance.guiPort, instance.apiKey, "POST", path);
}

void SyncthingPair::pause() {
    post(A, "/rest/system/pause?device=" + b_->id);
    post(B, "/rest/system/pause?device=" + a_->id);
}

void SyncthingPair::resume() {
    post(A, "/rest/system/resume?device=" + b_->id);
    post(B, "/rest/system/resume?device=" + a_->id);
}

bool SyncthingPair::connected() {
    const QJsonObject fromA =
        a_->get("/rest/system/connections").object()["connections"].toObject();
    const QJsonObject fromB =
        b_->get("/rest/system/connections").object()["connections"].toObject();
    return fromA[QString::fromStdString(b_->id)].toObject()["connected"].toBool() &&
           fromB[QString::fromStdString(a_->id)].toObject()["connected"].toBool();
}

// Every file the two know of: same global version on both sides, each side's local
// copy being it, and neither side scanning, pulling or needing anything.
bool SyncthingPair::sameEverywhere() {
    const std::string folder = std::string("folder=") + kFolderId;
    for (const Instance* side : {a_.get(), b_.get()}) {
        const QJsonObject status = side->get("/rest/db/status?" + folder).object();
        if (status["state"].toString() != "idle" || status["needTotalItems"].toInt(-1) != 0 ||
            status["globalFiles"].toInt(-1) != status["localFiles"].toInt(-2)) {
            return false;
        }
    }
    const QJsonObject completionA =
        a_->get("/rest/db/completion?" + folder + "&device=" + b_->id).object();
    const QJsonObject completionB =
        b_->get("/rest/db/completion?" + folder + "&device=" + a_->id).object();
    const QJsonObject statusA = a_->get("/rest/db/status?" + folder).object();
    const QJsonObject statusB = b_->get("/rest/db/status?" + folder).object();
    return completionA["completion"].toDouble() == 100 &&
           completionB["completion"].toDouble() == 100 &&
           statusA["globalFiles"] == statusB["globalFiles"] &&
           statusA["globalBytes"] == statusB["globalBytes"] &&
           statusA["inSyncBytes"] == statusA["globalBytes"] &&
           statusB["inSyncBytes"] == statusB["globalBytes"];
}

bool SyncthingPair::waitInSync(std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const std::string scan = std::string("/rest/db/scan?folder=") + kFolderId;
    post(A, scan);
    post(B, scan);
    int since = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (connected() && sameEverywhere()) {
            return true;
        }
        // Waits for the next event of either instance instead of sleeping: the long
        // poll returns as soon as anything happens, or after a second.
        const std::string answer = request(a_->guiPort, a_->apiKey, "GET",
                                           "/rest/events?timeout=1&since=" + std::to_string(since));
        if (answer.empty()) {
            // Not answering yet: the time it may take to start, watching for an early end.
            if (a_->process->waitForExit(std::chrono::milliseconds(100)) ||
                b_->process->waitForExit(std::chrono::milliseconds(0))) {
                return false;
            }
            continue;
        }
        for (const auto& event :
             QJsonDocument::fromJson(QByteArray::fromStdString(answer)).array()) {
            since = std::max(since, event.toObject()["id"].toInt());
        }
    }
    return false;
}

}  // namespace veltrop::testing
