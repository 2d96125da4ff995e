// A full disk or an I/O error at any write of the table tool's whole-file changes and
// imports leaves the old table, sound and complete; without the fault the change is made.
#include <sys/stat.h>

#include <functional>

#include "support/faulty_vfs.h"
#include "support/temp_folder.h"
#include "table_tool/tool_error.h"
#include "tool_fixture.h"

namespace veltrop::testing {
namespace {

const std::vector<ToolRecord> kOld{{"Bank", "bank.example", "anna", "secret", "two\nlines"},
                                   {"Mail", "mail.example", "anna.k", "hidden", ""}};
const std::vector<ToolRecord> kWithImport{
    kOld[0], kOld[1], {"Shop", "shop.example", "ak", "s3cret", "new"}};
const std::string kOldPassword = "old password";
const std::string kNewPassword = "new password";
// Changes that derive a new key take half a second a run: a spread of their write
// points is tried rather than every one.
constexpr int kMostPointsPerKeyedChange = 4;

struct Change {
    const char* name;
    bool startsProtected;
    bool derivesKey;
    std::function<void(engine::Session&)> run;
    std::vector<ToolRecord> recordsAfter;
    bool protectedAfter;
};

class FaultTest : public ToolFixture {
protected:
    void SetUp() override {
        FaultyVfs::instance().disarm();
        createTable("plain.db", kOld);
        writeFileBytes("protected.db", readFileBytes("plain.db"));
        engine::Session().protectTable("protected.db", kOldPassword);
        writeFileBytes("import.csv",
                       "DESCRIPTION,URL,LOGIN ID,PASSWORD,NOTE\n"
                       "Shop,shop.example,ak,s3cret,new\n");
    }
    void TearDown() override { FaultyVfs::instance().disarm(); }

    // The table is sound and holds the records, opened with the password (or none).
    void expectTable(const std::vector<ToolRecord>& expected, const std::string& password) {
        engine::Session session;
        session.addPassword(password);
        // Read-write, as the program opens it: a journal left behind is rolled back first.
        auto table = session.openTable(kTable, engine::OpenMode::ReadWrite);
        EXPECT_TRUE(table->integrityProblems(false).empty());
        std::vector<ToolRecord> found;
        for (const auto& row : table->readFrom(0, 1000)) {
            found.push_back(row.values);
        }
        EXPECT_TRUE(found == expected);
    }

    // Runs the change on a fresh copy of the table; false when it failed.
    bool attempt(const Change& change, engine::Session& session) {
        writeFileBytes(kTable, readFileBytes(change.startsProtected ? "protected.db" : "plain.db"));
        chmod(kTable, 0600);  // as the program makes it, so the tool has nothing to warn of
        try {
            change.run(session);
            return true;
        } catch (const Error& error) {
            EXPECT_FALSE(std::string(error.what()).empty());
            return false;
        }
    }

    void runTool(const QStringList& arguments) {
        const ToolRun result = run(arguments, {FaultyVfs::kName});
        if (result.status != 0) {
            EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
            throw table_tool::ToolError(result.err);
        }
    }
};

TEST_F(FaultTest, AFailedWriteAnywhereLeavesTheOldTable) {
    const std::vector<Change> changes{
        {"import", false, false,
         [&](engine::Session&) {
             runTool({"import", "import.csv"});
         },
         kWithImport, false},
        {"resize", false, false,
         [&](engine::Session&) {
             runTool({"resize", "PASSWORD=64"});
         },
         kOld, false},
        {"protect", false, true,
         [](engine::Session& session) { session.protectTable(kTable, kNewPassword); }, kOld, true},
        {"rekey", true, true,
         [](engine::Session& session) { session.protectTable(kTable, kNewPassword); }, kOld, true},
    };
    for (const Change& change : changes) {
        for (auto [mode, kind] : {std::pair{FaultMode::Persistent, FaultKind::DiskFull},
                                  std::pair{FaultMode::OneShot, FaultKind::IoError}}) {
            SCOPED_TRACE(std::string(change.name) +
                         (kind == FaultKind::DiskFull ? ", full disk" : ", I/O error"));
            engine::Session session({FaultyVfs::kName});
            session.addPassword(kOldPassword);
            FaultyVfs::instance().resetCount();
            ASSERT_TRUE(attempt(change, session));
            const int points = FaultyVfs::instance().writePoints();
            const int step =
                change.derivesKey ? std::max(1, points / kMostPointsPerKeyedChange) : 1;
            for (int point = 1; point <= points; point += step) {
                SCOPED_TRACE("write point " + std::to_string(point) + " of " +
                             std::to_string(points));
                FaultyVfs::instance().arm(point, mode, kind);
                const bool done = attempt(change, session);
                FaultyVfs::instance().disarm();
                if (done) {
                    expectTable(change.recordsAfter,
                                change.protectedAfter ? kNewPassword : kOldPassword);
                } else {
                    expectTable(kOld, kOldPassword);
                }
            }
        }
    }
}

}  // namespace
}  // namespace veltrop::testing
