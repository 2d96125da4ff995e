// veltrop-table merge: the records of other copies of the table come in by the merge
// rules, all or none; --conflicts finds the copies that sync services leave and moves
// them aside once merged.
#include <filesystem>

#include "engine/conflict_copies.h"
#include "tool_fixture.h"

namespace veltrop::testing {
namespace {

namespace fs = std::filesystem;
using Records = std::vector<ToolRecord>;

const ToolRecord kMail = {"Mail", "mail.example", "anna", "first", "note"};
const ToolRecord kBank = {"Bank", "bank.example", "konto", "1234", ""};
const ToolRecord kShop = {"Shop", "shop.example", "ak", "s3cret", ""};

ToolRecord with(ToolRecord record, int field, const std::string& value) {
    record.at(field) = value;
    return record;
}

class MergeTest : public ToolFixture {};

TEST_F(MergeTest, EachRuleOfTheMerge) {
    const struct {
        const char* what;
        Records other;
        Records expected;
        const char* summary;
        const char* listed;
    } cases[] = {
        {"equal in every field: skipped",
         {kMail},
         {kMail, kBank},
         "0 records added, 0 notes "
         "joined, 0 conflicts, 1 equal records skipped",
         ""},
        {"another password: kept beside, a conflict",
         {with(kMail, 3, "second")},
         {kMail, kBank, with(kMail, 3, "second")},
         "0 records added, 0 notes joined, 1 conflicts",
         "conflict, two passwords kept: \"Mail\" (mail.example, anna) from other.DB"},
        {"another note: joined",
         {with(kMail, 4, "their note")},
         {with(kMail, 4, "note\ntheir note"), kBank},
         "0 records added, 1 notes joined",
         "note joined: \"Mail\""},
        {"anything else: added",
         {kShop, with(kBank, 2, "other login")},
         {kMail, kBank, kShop, with(kBank, 2, "other login")},
         "2 records added",
         ""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        fs::remove(kTable);
        fs::remove("other.DB");
        createTable(kTable, {kMail, kBank});
        createTable("other.DB", test.other);
        const ToolRun dry = run({"merge", "other.DB", "--dry-run"});
        EXPECT_EQ(dry.status, 0) << dry.err;
        EXPECT_EQ(records(kTable), (Records{kMail, kBank})) << "a dry run writes nothing";
        const ToolRun merged = run({"merge", "other.DB"});
        EXPECT_EQ(merged.status, 0) << merged.err;
        EXPECT_EQ(records(kTable), test.expected);
        EXPECT_NE(merged.out.find(test.summary), std::string::npos) << merged.out;
        EXPECT_NE(merged.out.find(test.listed), std::string::npos) << merged.out;
        EXPECT_EQ(merged.out.find("second"), std::string::npos) << "a password was shown";
    }
}

TEST_F(MergeTest, SeveralCopiesGoInAllOrNone) {
    createTable("target.DB", {kMail});
    createTable("a.DB", {kBank});
    createTable("b.DB", {kShop});
    fs::copy_file("b.DB", "c.DB");
    fs::resize_file("c.DB", 1000);
    EXPECT_EQ(run({"merge", "a.DB", "c.DB", "target.DB"}).status, 1);
    EXPECT_EQ(records("target.DB"), (Records{kMail}));
    EXPECT_EQ(run({"merge", "a.DB", "b.DB", "target.DB"}).status, 0);
    EXPECT_EQ(records("target.DB"), (Records{kMail, kBank, kShop}));
}

TEST_F(MergeTest, ConflictCopiesOfEverySyncServiceAreMergedAndMovedAside) {
    const std::vector<std::string> copies = {
        "Veltrop (Anna's conflicted copy 2026-12-09).DB",
        "Veltrop (conflicted copy 2026-12-09 051500).DB",
        "Veltrop.sync-conflict-20261209-051500-ABCDEFG.DB",
    };
    createTable(kTable, {kMail});
    for (size_t i = 0; i < copies.size(); ++i) {
        createTable(copies[i], {kMail, with(kBank, 3, std::to_string(i))});
    }
    createTable("Veltrop.sync-conflict-20261209-051500-ABCDEFG.txt", {kShop});
    EXPECT_EQ(engine::findConflictCopies(kTable).size(), 3u);
    EXPECT_NE(run({"info"}).out.find("Conflict copies from a file-sync service: 3"),
              std::string::npos);

    const ToolRun merged = run({"merge", "--conflicts"});
    EXPECT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(records(kTable).size(), 4u);
    EXPECT_NE(merged.out.find("1 records added, 0 notes joined, 2 conflicts, 3 equal"),
              std::string::npos)
        << merged.out;
    EXPECT_TRUE(engine::findConflictCopies(kTable).empty());
    for (const auto& copy : copies) {
        EXPECT_TRUE(fs::exists(std::string(kTable) + ".merged/" + copy)) << copy;
    }
    EXPECT_NE(run({"merge", "--conflicts"}).out.find("No conflict copies"), std::string::npos);
}

}  // namespace
}  // namespace veltrop::testing
