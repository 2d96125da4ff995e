// Whole-file rewrites replace the file the name leads to, refuse a file of several names,
// and hold the "in use" lock on the file the name leads to when they start.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "engine/file_probe.h"
#include "engine/session.h"
#include "engine/sole_use.h"
#include "support/credential_records.h"
#include "support/temp_folder.h"

namespace veltrop {
namespace {

using engine::FileKind;

constexpr const char* kFile = "Veltrop.DB";
constexpr const char* kReal = "real/Veltrop.DB";
const std::string kOld = "old password";
const std::string kNew = "new password";

struct Rewrite {
    const char* name;
    bool protectedBefore;
    FileKind after;
    std::function<void(engine::Session&)> run;
};

void PrintTo(const Rewrite& rewrite, std::ostream* out) {
    *out << rewrite.name;
}

std::vector<Rewrite> rewrites() {
    auto wider = credentials::definition();
    wider.fields[3].size = 64;
    return {
        {"Protect", false, FileKind::Protected, [](auto& s) { s.protectTable(kFile, kNew); }},
        {"Unprotect", true, FileKind::Plain, [](auto& s) { s.unprotectTable(kFile); }},
        {"Rekey", true, FileKind::Protected, [](auto& s) { s.protectTable(kFile, kNew); }},
        {"Resize", false, FileKind::Plain, [wider](auto& s) { s.restructureTable(kFile, wider); }},
    };
}

class RewriteTargetTest : public ::testing::TestWithParam<Rewrite> {
protected:
    void SetUp() override {
        ASSERT_EQ(mkdir("real", 0700), 0);
        testing::createCredentialTable(session_, kReal,
                                       {{"Mail", "mail.example.org", "a", "b", ""}});
        if (GetParam().protectedBefore) {
            session_.protectTable(kReal, kOld);
        }
        session_.addPassword(kOld);
        session_.addPassword(kNew);
    }

    testing::TempFolder folder_;
    engine::Session session_;
};

TEST_P(RewriteTargetTest, ThroughASymbolicLinkTheRealFileIsRewritten) {
    ASSERT_EQ(symlink(kReal, kFile), 0);
    GetParam().run(session_);
    struct stat link {};
    ASSERT_EQ(lstat(kFile, &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode)) << "the link was replaced";
    EXPECT_EQ(engine::probeFile(kReal).kind, GetParam().after);
    EXPECT_EQ(session_.openTable(kReal, engine::OpenMode::ReadOnly)->recordCount(), 1);
}

TEST_P(RewriteTargetTest, AFileWithTwoNamesIsRefused) {
    ASSERT_EQ(link(kReal, kFile), 0);
    const std::string before = testing::readFileBytes(kReal);
    try {
        GetParam().run(session_);
        ADD_FAILURE() << "rewrote a file of two names";
    } catch (const engine::EngineError& error) {
        EXPECT_NE(error.message().find("hard links"), std::string::npos) << error.message();
    }
    EXPECT_TRUE(testing::readFileBytes(kReal) == before);
    EXPECT_TRUE(testing::readFileBytes(kFile) == before);
}

INSTANTIATE_TEST_SUITE_P(Rewrites, RewriteTargetTest, ::testing::ValuesIn(rewrites()),
                         [](const auto& info) { return std::string(info.param.name); });

// Another program puts a new table in place between the lock's open and its taking: the
// lock ends up on the new table, which no one else can then open.
TEST(SoleUseTest, TheLockIsOnTheFileTheNameLeadsTo) {
    testing::TempFolder folder;
    engine::Session session;
    testing::createCredentialTable(session, kFile, {});
    testing::createCredentialTable(session, "new.DB", {{"New", "", "", "", ""}});
    engine::SoleUse::setBeforeLockHook([] { std::rename("new.DB", kFile); });
    {
        const engine::SoleUse alone(kFile);
        engine::SoleUse::setBeforeLockHook({});
        EXPECT_TRUE(engine::isOpenElsewhere(kFile));
        EXPECT_THROW(session.openTable(kFile, engine::OpenMode::ReadWrite), engine::EngineError);
    }
    EXPECT_EQ(session.openTable(kFile, engine::OpenMode::ReadOnly)->recordCount(), 1);
}

// A name that leads to a new file at every try is given up on.
TEST(SoleUseTest, ANameThatKeepsChangingIsGivenUp) {
    testing::TempFolder folder;
    engine::Session session;
    testing::createCredentialTable(session, kFile, {});
    engine::SoleUse::setBeforeLockHook([] {
        testing::writeFileBytes("next", testing::readFileBytes(kFile));
        std::rename("next", kFile);
    });
    try {
        const engine::SoleUse alone(kFile);
        ADD_FAILURE() << "locked a file the name no longer leads to";
    } catch (const engine::EngineError& error) {
        EXPECT_EQ(error.code(), engine::ErrorCode::TableLocked);
    }
    engine::SoleUse::setBeforeLockHook({});
}

}  // namespace
}  // namespace veltrop
