// Killing the table tool at any moment of a protect or an import leaves the old table
// or the new one, sound and complete, never anything between.
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "engine/file_probe.h"
#include "engine/journal_vfs.h"
#include "engine/session.h"
#include "support/temp_folder.h"
#include "tool_fixture.h"

namespace veltrop::testing {
namespace {

constexpr int kKills = 50;
constexpr int kTableRecords = 20000;
constexpr int kImportedRows = 3000;
const std::string kPassword = "kill me softly";

unsigned chooseSeed() {
    const char* fixed = std::getenv("VELTROP_CRASH_SEED");
    return fixed ? static_cast<unsigned>(std::strtoul(fixed, nullptr, 10)) : std::random_device{}();
}

std::vector<ToolRecord> numberedRecords(const std::string& prefix, int count) {
    std::vector<ToolRecord> records;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        records.push_back({prefix + n, "https://" + n + ".example", "user" + n, "pw" + n,
                           "note, \"quoted\"\n" + n});
    }
    return records;
}

class KillTest : public ToolFixture {
protected:
    void SetUp() override {
        createTable("template.db", numberedRecords("Old ", kTableRecords));
        old_ = records("template.db");
        std::string csv = "DESCRIPTION,URL,LOGIN ID,PASSWORD,NOTE\n";
        for (const ToolRecord& record : numberedRecords("New ", kImportedRows)) {
            csv += record[0] + "," + record[1] + "," + record[2] + "," + record[3] + ",\"" +
                   "note, \"\"quoted\"\"\n" + record[0].substr(4) + "\"\n";
        }
        writeFileBytes("import.csv", csv);
    }

    // Whether the folder holds a file besides the table and the test's own (a file
    // written aside), or the journal folder holds a journal: the sign that the tool has
    // begun to write.
    static bool writing() {
        const std::string journals = engine::journalFolder();
        if (std::filesystem::exists(journals) && !std::filesystem::is_empty(journals)) {
            return true;
        }
        for (const auto& entry : std::filesystem::directory_iterator(".")) {
            const std::string name = entry.path().filename().string();
            if (name != kTable && name != "template.db" && name != "import.csv") {
                return true;
            }
        }
        return false;
    }

    // Starts the tool and kills it delayMs after it has begun to write, or lets it finish
    // when delayMs < 0. Gives how long it wrote.
    static qint64 runAndKill(const QStringList& arguments, const std::string& input, int delayMs) {
        QProcess tool;
        tool.start(VELTROP_TABLE_TOOL, arguments);
        tool.waitForStarted();
        tool.write(input.data(), static_cast<qint64>(input.size()));
        tool.closeWriteChannel();
        while (!writing() && !tool.waitForFinished(1)) {
        }
        QElapsedTimer clock;
        clock.start();
        if (delayMs >= 0) {
            QThread::msleep(static_cast<unsigned long>(delayMs));
            tool.kill();
        }
        tool.waitForFinished(120000);
        return clock.elapsed();
    }

    static void clearFolder() {
        for (const auto& entry : std::filesystem::directory_iterator(".")) {
            const std::string name = entry.path().filename().string();
            if (name != "template.db" && name != "import.csv") {
                std::filesystem::remove(entry.path());
            }
        }
        writeFileBytes(kTable, readFileBytes("template.db"));
        // A killed run's journal belongs to a table file that is gone now.
        std::filesystem::remove_all(engine::journalFolder());
    }

    // The table is sound and holds one of the allowed record lists; gives which.
    std::size_t expectOneOf(const std::vector<std::vector<ToolRecord>>& allowed) {
        engine::Session session;
        session.addPassword(kPassword);
        auto table = session.openTable(kTable, engine::OpenMode::ReadWrite);
        EXPECT_TRUE(table->integrityProblems(false).empty());
        std::vector<ToolRecord> found;
        for (const auto& row : table->readFrom(0, 1 << 30)) {
            found.push_back(row.values);
        }
        const auto match = std::find(allowed.begin(), allowed.end(), found);
        EXPECT_TRUE(match != allowed.end()) << found.size() << " records";
        return static_cast<std::size_t>(match - allowed.begin());
    }

    std::vector<ToolRecord> old_;
};

struct Killed {
    const char* name;
    QStringList arguments;
    std::string input;
};

TEST_F(KillTest, KilledProtectAndImportLeaveTheOldTableOrTheNew) {
    std::vector<ToolRecord> imported = old_;
    const auto added = numberedRecords("New ", kImportedRows);
    imported.insert(imported.end(), added.begin(), added.end());
    const std::vector<Killed> commands{
        {"protect", {"protect", "--password-stdin"}, kPassword + "\n"},
        {"import", {"import", "import.csv"}, ""},
    };
    const unsigned seed = chooseSeed();
    SCOPED_TRACE("seed " + std::to_string(seed) + " (rerun with VELTROP_CRASH_SEED)");
    std::mt19937 random(seed);
    for (const Killed& command : commands) {
        SCOPED_TRACE(command.name);
        clearFolder();
        const qint64 whole = runAndKill(command.arguments, command.input, -1);
        expectOneOf({command.name == std::string("import") ? imported : old_});
        // Over the time it writes, and a little past it.
        std::uniform_int_distribution<int> delay(0, static_cast<int>(whole + whole / 10));
        int oldTables = 0;
        for (int kill = 0; kill < kKills; ++kill) {
            clearFolder();
            runAndKill(command.arguments, command.input, delay(random));
            const bool protectedNow = engine::probeFile(kTable).kind == engine::FileKind::Protected;
            const bool changed = expectOneOf({old_, imported}) == 1 || protectedNow;
            oldTables += !changed;
        }
        RecordProperty(std::string(command.name) + "_old_after_kill", oldTables);
    }
}

}  // namespace
}  // namespace veltrop::testing
