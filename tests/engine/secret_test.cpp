// Secrets sit in locked memory between guard pages, never move to a larger buffer, and
// leave nothing readable behind once released.
#include "engine/secret.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/table_key.h"

namespace veltrop::engine {
namespace {

// VmLck of /proc/self/status, in kB.
long lockedKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmLck:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

TEST(SecretTest, KeepsItsBytesLocked) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer turns mlock into a no-op";
#endif
    const long before = lockedKilobytes();
    {
        const Secret password("correct horse");
        EXPECT_EQ(password.view(), "correct horse");
        EXPECT_GE(lockedKilobytes(), before + 4);
    }
    EXPECT_EQ(lockedKilobytes(), before);
}

TEST(SecretTest, AppendingStaysInItsRoomAndRefusesToGrow) {
    struct Case {
        std::size_t room;
        std::vector<std::string> parts;
        std::string kept;
        bool refused;
    };
    const std::vector<Case> cases = {
        {4, {"ab", "cd"}, "abcd", false},
        {4, {"abc", "de"}, "abc", true},
        {0, {""}, "", false},
        {0, {"a"}, "", true},
        {3, {"", "abc", ""}, "abc", false},
    };
    for (const Case& c : cases) {
        Secret text = Secret::withRoom(c.room);
        const char* where = text.data();
        bool refused = false;
        for (const std::string& part : c.parts) {
            try {
                text.append(part);
            } catch (const std::length_error&) {
                refused = true;
            }
        }
        EXPECT_EQ(text.view(), c.kept) << c.room;
        EXPECT_EQ(refused, c.refused) << c.room;
        EXPECT_EQ(text.data(), where) << "moved to another buffer";
    }
}

TEST(SecretTest, MovingHandsOverTheSameBytes) {
    Secret first("key");
    const char* where = first.data();
    std::vector<Secret> list;
    list.push_back(std::move(first));
    for (int i = 0; i < 20; ++i) {
        list.emplace_back("more");
    }
    EXPECT_EQ(list.front().data(), where);
    EXPECT_EQ(list.front().view(), "key");
    EXPECT_TRUE(first.empty());
}

TEST(SecretTest, TruncatingWipesTheCutBytes) {
    Secret text("password\r");
    text.truncate(8);
    EXPECT_EQ(text.view(), "password");
    EXPECT_EQ(text.data()[8], '\0');
}

TEST(SecretTest, KeyTextIsBuiltInPlace) {
    const Secret key(std::string(kTableKeySize, '\x5a'));
    Salt salt{};
    salt.fill(0xa5);
    const auto repeated = [](const char* pair, std::size_t times) {
        std::string text;
        for (std::size_t i = 0; i < times; ++i) {
            text += pair;
        }
        return text;
    };
    const Secret text = rawKeyText(key, &salt);
    EXPECT_EQ(text.view(), "x'" + repeated("5a", kTableKeySize) + repeated("a5", kSaltSize) + "'");
    EXPECT_EQ(text.size(), text.capacity()) << "room sized exactly, nothing to grow into";
    EXPECT_EQ(rawKeyText(key).view(), "x'" + repeated("5a", kTableKeySize) + "'");
}

using SecretDeathTest = ::testing::Test;

// Released memory is unmapped: a stale pointer faults instead of reading a password.
TEST(SecretDeathTest, NothingIsReadableAfterRelease) {
    const char* stale = nullptr;
    {
        Secret password("open sesame");
        stale = password.data();
    }
    EXPECT_DEATH(
        {
            volatile char first = stale[0];
            static_cast<void>(first);
        },
        "");
}

// The guard page right after the bytes catches a read past their end.
TEST(SecretDeathTest, ReadingPastTheEndFaults) {
    const Secret password("open sesame");
    EXPECT_DEATH(
        {
            volatile char past = password.data()[password.capacity() + 15];
            static_cast<void>(past);
        },
        "");
}

}  // namespace
}  // namespace veltrop::engine
