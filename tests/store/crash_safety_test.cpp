#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/session.h"
#include "store/credential_table.h"
#include "store/peer_process.h"
#include "store/table.h"
#include "support/temp_folder.h"

namespace veltrop {
namespace {

using testing::PeerProcess;

constexpr int kKills = 200;
// Each run lets the peer report up to this many saves, then kills it within this many ms.
constexpr int kMaxSavesBeforeKill = 2;
constexpr int kMaxKillDelayMs = 20;
// More saves than any run lives to make: every run ends by the kill.
constexpr int kSavesPerRun = 1000000;

// What the peers reported, record by record (known by DESCRIPTION, which no two
// inserts share): the values the file may hold for the record, and whether it must be
// there at all. A reported save must have reached the file; a save announced but not
// reported when the peer died may have reached it or not, but only as a whole.
class SaveLedger {
public:
    void take(const std::string& line) {
        if (line.rfind(kPosting, 0) == 0) {
            const std::string values = line.substr(kPosting.size());
            records_[descriptionOf(values)].candidates.push_back(values);
        } else if (line.rfind(kSaved, 0) == 0) {
            const std::string values = line.substr(kSaved.size());
            Record& record = records_[descriptionOf(values)];
            if (record.candidates.empty() || record.candidates.back() != values) {
                throw std::runtime_error("saved without being announced: " + line);
            }
            record.candidates = {values};
            record.mustExist = true;
        } else {
            throw std::runtime_error("unexpected peer output: " + line);
        }
    }

    // Checks the records found in the file, each as its values joined like the reports.
    void check(const std::vector<std::string>& found) const {
        std::set<std::string> seen;
        for (const std::string& values : found) {
            const std::string description = descriptionOf(values);
            EXPECT_TRUE(seen.insert(description).second) << "stored twice: " << description;
            const auto record = records_.find(description);
            if (record == records_.end()) {
                ADD_FAILURE() << "in the file but never saved: " << values;
                continue;
            }
            const std::vector<std::string>& allowed = record->second.candidates;
            const bool reported =
                std::find(allowed.begin(), allowed.end(), values) != allowed.end();
            EXPECT_TRUE(reported) << "stored as " << values << "\nlast reported as "
                                  << allowed.front();
        }
        for (const auto& [description, record] : records_) {
            EXPECT_TRUE(!record.mustExist || seen.count(description))
                << "reported saved but missing: " << record.candidates.front();
        }
    }

private:
    struct Record {
        bool mustExist = false;
        std::vector<std::string> candidates;
    };

    static std::string descriptionOf(const std::string& values) {
        return values.substr(0, values.find('\t'));
    }

    static inline const std::string kPosting = "posting ";
    static inline const std::string kSaved = "saved ";
    std::map<std::string, Record> records_;
};

unsigned chooseSeed() {
    const char* fixed = std::getenv("VELTROP_CRASH_SEED");
    return fixed ? static_cast<unsigned>(std::strtoul(fixed, nullptr, 10)) : std::random_device{}();
}

// Starts a peer saving in a loop, lets it report a few saves, kills it at a random
// moment and hands everything it reported to the ledger.
void saveUntilKilled(int run, std::mt19937& random, SaveLedger& ledger) {
    const int savesBeforeKill = std::uniform_int_distribution<int>(0, kMaxSavesBeforeKill)(random);
    const int delayMs = std::uniform_int_distribution<int>(0, kMaxKillDelayMs)(random);
    PeerProcess peer;
    peer.send("post-loop " + std::to_string(kSavesPerRun) + " r" + std::to_string(run));
    int saves = 0;
    for (bool started = false; !started || saves < savesBeforeKill;) {
        const std::optional<std::string> line = peer.readLine();
        if (!line) {
            throw std::runtime_error("peer ended by itself in run " + std::to_string(run));
        }
        ledger.take(*line);
        started = true;
        saves += line->rfind("saved ", 0) == 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    peer.kill();
    while (const std::optional<std::string> line = peer.readLine()) {
        ledger.take(*line);
    }
}

std::vector<std::string> integrityReport(const std::string& path) {
    sqlite3* db = nullptr;
    std::vector<std::string> rows;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        rows.push_back(std::string("cannot open: ") + sqlite3_errmsg(db));
    } else {
        sqlite3_exec(
            db, "PRAGMA integrity_check",
            [](void* out, int, char** values, char**) {
                static_cast<std::vector<std::string>*>(out)->push_back(values[0]);
                return 0;
            },
            &rows, nullptr);
        if (rows.empty()) {
            rows.push_back(std::string("no answer: ") + sqlite3_errmsg(db));
        }
    }
    sqlite3_close(db);
    return rows;
}

// Every record of the table in table order, as its values joined with tabs.
std::vector<std::string> storedRecords() {
    engine::Session session;
    Table table("Table1", session, credentials::kFileName, credentials::definition());
    table.open();
    std::vector<std::string> records;
    for (table.first(); !table.eof(); table.next()) {
        std::string values;
        for (int i = 0; i < table.fieldCount(); ++i) {
            values += (i ? "\t" : "") + table.field(i).asString().toStdString();
        }
        records.push_back(values);
    }
    return records;
}

TEST(CrashSafetyTest, KilledWritersNeitherLoseReportedSavesNorDamageTheFile) {
    testing::TempFolder folder;
    engine::Session().createTable(credentials::kFileName, credentials::definition());
    const unsigned seed = chooseSeed();
    SCOPED_TRACE("seed " + std::to_string(seed) + " (rerun with VELTROP_CRASH_SEED)");
    std::mt19937 random(seed);
    SaveLedger ledger;

    try {
        for (int run = 0; run < kKills; ++run) {
            saveUntilKilled(run, random, ledger);
        }
        EXPECT_EQ(integrityReport(credentials::kFileName), std::vector<std::string>{"ok"});
        ledger.check(storedRecords());
    } catch (const std::exception& error) {
        FAIL() << error.what();
    }
}

}  // namespace
}  // namespace veltrop
