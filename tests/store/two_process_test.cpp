#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QString>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/error.h"
#include "engine/session.h"
#include "store/credential_table.h"
#include "store/peer_process.h"
#include "store/table.h"
#include "support/temp_folder.h"

namespace veltrop {
namespace {

using engine::EngineError;
using engine::ErrorCode;
using testing::isError;
using testing::PeerProcess;

const std::vector<std::vector<QString>> kSeed{
    {"Alpha", "https://alpha.example", "alice", "alpha-pw", "first note"},
    {"Beta", "https://beta.example", "bob", "beta-pw", "second note"},
    {"Gamma", "https://gamma.example", "carol", "gamma-pw", "third note"},
};

bool mentions(std::string text, const std::string& word) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text.find(word) != std::string::npos;
}

std::optional<EngineError> engineErrorOf(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const EngineError& error) {
        return error;
    }
    return std::nullopt;
}

void expectLocked(const std::function<void()>& operation) {
    const std::optional<EngineError> error = engineErrorOf(operation);
    ASSERT_TRUE(error) << "no error, expected the record to be locked";
    EXPECT_EQ(error->code(), ErrorCode::RecordLocked) << error->message();
    EXPECT_TRUE(mentions(error->message(), "locked")) << error->message();
}

void expectPeerLocked(const std::string& answer) {
    EXPECT_TRUE(isError(answer) && mentions(answer, "locked")) << answer;
}

void expectCleanExit(PeerProcess& peer) {
    const int status = peer.finish();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
}

QString valueOf(Table& table, const char* field) {
    return table.fieldByName(field).asString();
}

// Two cursors, in this process or another, on one table file of three records.
class SharedTableTest : public ::testing::Test {
protected:
    SharedTableTest() {
        session_.createTable(credentials::kFileName, credentials::definition());
        std::unique_ptr<Table> seeder = openCursor();
        for (const std::vector<QString>& values : kSeed) {
            seeder->Insert();
            for (int i = 0; i < seeder->fieldCount(); ++i) {
                seeder->field(i).setAsString(values[i]);
            }
            seeder->Post();
        }
    }

    std::unique_ptr<Table> openCursor() { return openCursor(session_); }

    static std::unique_ptr<Table> openCursor(engine::Session& session) {
        auto table = std::make_unique<Table>("Table1", session, credentials::kFileName,
                                             credentials::definition());
        table->open();
        return table;
    }

    // The descriptions in the file now, in table order.
    QStringList descriptions() {
        std::unique_ptr<Table> reader = openCursor();
        QStringList found;
        for (reader->first(); !reader->eof(); reader->next()) {
            found << valueOf(*reader, credentials::kDescription);
        }
        return found;
    }

    testing::TempFolder folder_;
    engine::Session session_;
};

TEST_F(SharedTableTest, RecordEditedByAPeerCannotBeEditedHereUntilThePeerPosts) {
    PeerProcess peer;
    ASSERT_EQ(peer.command("edit"), "ok");
    std::unique_ptr<Table> cursor = openCursor();

    expectLocked([&] { cursor->Edit(); });
    EXPECT_EQ(cursor->state(), TableState::Browse);

    ASSERT_EQ(peer.command("set PASSWORD from peer"), "ok");
    ASSERT_EQ(peer.command("post"), "ok");
    cursor->Edit();
    EXPECT_EQ(valueOf(*cursor, credentials::kPassword), "from peer");

    expectPeerLocked(peer.command("edit"));
    cursor->fieldByName(credentials::kUrl).setAsString("https://ours.example");
    cursor->Post();

    ASSERT_EQ(peer.command("edit"), "ok");
    EXPECT_EQ(peer.command("get URL"), "ok https://ours.example");
    EXPECT_EQ(peer.command("get PASSWORD"), "ok from peer");
    EXPECT_EQ(peer.command("cancel"), "ok");
    expectCleanExit(peer);
}

TEST_F(SharedTableTest, TwoPeersEditingOneRecordTakeTurnsAndKeepBothChanges) {
    PeerProcess first;
    PeerProcess second;
    ASSERT_EQ(first.command("edit"), "ok");
    expectPeerLocked(second.command("edit"));

    ASSERT_EQ(first.command("set LOGIN ID first login"), "ok");
    ASSERT_EQ(first.command("post"), "ok");
    ASSERT_EQ(second.command("edit"), "ok");
    EXPECT_EQ(second.command("get LOGIN ID"), "ok first login");
    expectPeerLocked(first.command("edit"));

    ASSERT_EQ(second.command("set NOTE second note"), "ok");
    ASSERT_EQ(second.command("post"), "ok");
    ASSERT_EQ(first.command("edit"), "ok");
    EXPECT_EQ(first.command("get LOGIN ID"), "ok first login");
    EXPECT_EQ(first.command("get NOTE"), "ok second note");
    EXPECT_EQ(first.command("cancel"), "ok");
    expectCleanExit(first);
    expectCleanExit(second);
}

TEST_F(SharedTableTest, KilledHolderLeavesNoLockAndNoChangeBehind) {
    PeerProcess peer;
    ASSERT_EQ(peer.command("edit"), "ok");
    ASSERT_EQ(peer.command("set PASSWORD never saved"), "ok");
    std::unique_ptr<Table> cursor = openCursor();
    expectLocked([&] { cursor->Edit(); });

    peer.kill();
    cursor->Edit();
    EXPECT_EQ(cursor->state(), TableState::Edit);
    EXPECT_EQ(valueOf(*cursor, credentials::kPassword), "alpha-pw");
}

TEST_F(SharedTableTest, RecordEditedByAPeerCannotBeDeletedHere) {
    PeerProcess peer;
    ASSERT_EQ(peer.command("edit"), "ok");
    std::unique_ptr<Table> cursor = openCursor();

    expectLocked([&] { cursor->Delete(); });
    EXPECT_EQ(cursor->state(), TableState::Browse);
    EXPECT_EQ(descriptions(), QStringList({"Alpha", "Beta", "Gamma"}));

    ASSERT_EQ(peer.command("cancel"), "ok");
    cursor->Delete();
    EXPECT_EQ(descriptions(), QStringList({"Beta", "Gamma"}));
    expectCleanExit(peer);
}

TEST_F(SharedTableTest, DeletingARecordAPeerDeletedIsNoError) {
    std::unique_ptr<Table> cursor = openCursor();
    PeerProcess peer;
    ASSERT_EQ(peer.command("delete"), "ok");

    cursor->Delete();
    EXPECT_EQ(cursor->state(), TableState::Browse);
    EXPECT_EQ(valueOf(*cursor, credentials::kDescription), "Beta");
    EXPECT_EQ(descriptions(), QStringList({"Beta", "Gamma"}));
    expectCleanExit(peer);
}

TEST_F(SharedTableTest, EditingARecordAPeerDeletedReportsItGone) {
    std::unique_ptr<Table> cursor = openCursor();
    ASSERT_TRUE(cursor->Locate(credentials::kDescription, {"Beta"}));
    PeerProcess peer;
    ASSERT_EQ(peer.command("locate DESCRIPTION\tBeta"), "ok found");
    ASSERT_EQ(peer.command("delete"), "ok");

    const std::optional<EngineError> error = engineErrorOf([&] { cursor->Edit(); });
    ASSERT_TRUE(error) << "Edit of a deleted record succeeded";
    EXPECT_EQ(error->code(), ErrorCode::RecordDeleted) << error->message();
    EXPECT_EQ(cursor->state(), TableState::Browse);

    cursor->Refresh();
    EXPECT_EQ(valueOf(*cursor, credentials::kDescription), "Gamma");
    cursor->Edit();
    EXPECT_EQ(cursor->state(), TableState::Edit);
    expectCleanExit(peer);
}

TEST_F(SharedTableTest, EachProcessSeesTheOthersChangesOnRefresh) {
    std::unique_ptr<Table> cursor = openCursor();
    PeerProcess peer;
    ASSERT_EQ(peer.command("insert"), "ok");
    ASSERT_EQ(peer.command("set DESCRIPTION Delta"), "ok");
    ASSERT_EQ(peer.command("post"), "ok");
    ASSERT_EQ(peer.command("locate DESCRIPTION\tAlpha"), "ok found");
    ASSERT_EQ(peer.command("delete"), "ok");

    cursor->Refresh();
    EXPECT_EQ(valueOf(*cursor, credentials::kDescription), "Beta");
    cursor->Edit();
    cursor->fieldByName(credentials::kUrl).setAsString("https://changed.example");
    cursor->Post();
    EXPECT_TRUE(cursor->Locate(credentials::kDescription, {"Delta"}));

    ASSERT_EQ(peer.command("get URL"), "ok https://beta.example");
    ASSERT_EQ(peer.command("refresh"), "ok");
    EXPECT_EQ(peer.command("get DESCRIPTION"), "ok Beta");
    EXPECT_EQ(peer.command("get URL"), "ok https://changed.example");
    expectCleanExit(peer);
}

TEST_F(SharedTableTest, TableHeldExclusivelyByAnotherProgramCannotBeOpened) {
    engine::SessionOptions options;
    options.busyTimeoutMs = 100;
    engine::Session impatient(options);
    Table cursor("Table1", impatient, credentials::kFileName, credentials::definition());
    PeerProcess peer;
    ASSERT_EQ(peer.command("exclusive"), "ok");

    const std::optional<EngineError> error = engineErrorOf([&] { cursor.open(); });
    ASSERT_TRUE(error) << "opened a table another program holds exclusively";
    EXPECT_EQ(error->code(), ErrorCode::TableLocked) << error->message();
    EXPECT_TRUE(mentions(error->message(), "lock")) << error->message();
    EXPECT_FALSE(cursor.active());

    ASSERT_EQ(peer.command("release"), "ok");
    cursor.open();
    EXPECT_EQ(valueOf(cursor, credentials::kDescription), "Alpha");
    cursor.close();

    ASSERT_EQ(peer.command("exclusive"), "ok");
    peer.kill();
    cursor.open();
    EXPECT_EQ(valueOf(cursor, credentials::kDescription), "Alpha");
}

TEST_F(SharedTableTest, CursorsOfSeparateSessionsInThisProcessExcludeEachOther) {
    engine::Session otherSession;
    std::unique_ptr<Table> first = openCursor();
    std::unique_ptr<Table> second = openCursor(otherSession);
    first->Edit();
    expectLocked([&] { second->Edit(); });
    first->Cancel();
    second->Edit();
    EXPECT_EQ(second->state(), TableState::Edit);
}

TEST_F(SharedTableTest, DeletingTheEditedRecordFreesItsLockForARecordInsertedInItsPlace) {
    std::unique_ptr<Table> first = openCursor();
    std::unique_ptr<Table> second = openCursor();
    ASSERT_TRUE(first->Locate(credentials::kDescription, {"Gamma"}));
    ASSERT_TRUE(second->Locate(credentials::kDescription, {"Gamma"}));
    first->Edit();
    expectLocked([&] { second->Edit(); });

    first->Delete();
    // The newest record takes the deleted last record's place in table order.
    second->Refresh();
    second->Insert();
    second->fieldByName(credentials::kDescription).setAsString("Delta");
    second->Post();
    second->Edit();
    EXPECT_EQ(second->state(), TableState::Edit);
    second->Cancel();

    ASSERT_TRUE(first->Locate(credentials::kDescription, {"Delta"}));
    first->Edit();
    EXPECT_EQ(first->state(), TableState::Edit);
}

// How the first of two cursors of this process lets go of the record it edits.
struct Release {
    const char* name;
    std::function<void(std::unique_ptr<Table>&)> apply;
};

class SameProcessReleaseTest : public SharedTableTest,
                               public ::testing::WithParamInterface<Release> {};

TEST_P(SameProcessReleaseTest, SecondCursorCanEditOnlyOnceTheFirstLetsGo) {
    std::unique_ptr<Table> first = openCursor();
    std::unique_ptr<Table> second = openCursor();
    first->Edit();
    expectLocked([&] { second->Edit(); });
    EXPECT_EQ(second->state(), TableState::Browse);

    GetParam().apply(first);
    second->Edit();
    EXPECT_EQ(second->state(), TableState::Edit);
}

INSTANTIATE_TEST_SUITE_P(
    Releases, SameProcessReleaseTest,
    ::testing::Values(Release{"Cancel", [](std::unique_ptr<Table>& t) { t->Cancel(); }},
                      Release{"Post",
                              [](std::unique_ptr<Table>& t) {
                                  t->fieldByName(credentials::kNote).setAsString("posted");
                                  t->Post();
                              }},
                      Release{"Close", [](std::unique_ptr<Table>& t) { t->close(); }},
                      Release{"Destroy", [](std::unique_ptr<Table>& t) { t.reset(); }}),
    [](const ::testing::TestParamInfo<Release>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace veltrop
