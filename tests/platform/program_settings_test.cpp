// The settings file: defaults without it, each key read, and a malformed value ignored
// with a warning that names its key.
#include "platform/program_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace veltrop::testing {
namespace {

struct Case {
    const char* contents;
    ProgramSettings expected;
    // The keys the warnings name, in order.
    std::vector<std::string> warnedKeys;
};

TEST(ProgramSettingsTest, ReadsWellFormedValuesAndWarnsAboutTheRest) {
    const std::vector<Case> cases = {
        {"", {30, true, 0}, {}},
        {"ClipboardClearSeconds=5\nLockOnScreenLock=false\nLockAfterIdleMinutes=10\n",
         {5, false, 10},
         {}},
        {"[General]\nClipboardClearSeconds=0\nLockOnScreenLock=TRUE\n", {0, true, 0}, {}},
        {"LockOnScreenLock=0\nLockAfterIdleMinutes= 3 \n", {30, false, 3}, {}},
        {"; as the README shows\nClipboardClearSeconds=7\n", {7, true, 0}, {}},
        {"ClipboardClearSeconds=soon\n", {30, true, 0}, {"ClipboardClearSeconds"}},
        {"ClipboardClearSeconds=-4\nLockAfterIdleMinutes=1441\n",
         {30, true, 0},
         {"ClipboardClearSeconds", "LockAfterIdleMinutes"}},
        {"ClipboardClearSeconds=10,20\nLockOnScreenLock=maybe\n",
         {30, true, 0},
         {"ClipboardClearSeconds", "LockOnScreenLock"}},
        {"ClipboardClearSeconds=\nUnknownKey=1\n", {30, true, 0}, {"ClipboardClearSeconds"}},
    };
    const TempFolder folder;
    int written = 0;
    for (const Case& c : cases) {
        // A file of its own each: QSettings keeps what it read of a file.
        const std::string file = folder.file(std::to_string(++written) + ".conf");
        writeFileBytes(file, c.contents);
        QStringList warnings;
        const ProgramSettings read = readProgramSettings(QString::fromStdString(file), warnings);
        EXPECT_EQ(read.clipboardClearSeconds, c.expected.clipboardClearSeconds) << c.contents;
        EXPECT_EQ(read.lockOnScreenLock, c.expected.lockOnScreenLock) << c.contents;
        EXPECT_EQ(read.lockAfterIdleMinutes, c.expected.lockAfterIdleMinutes) << c.contents;
        ASSERT_EQ(static_cast<std::size_t>(warnings.size()), c.warnedKeys.size()) << c.contents;
        for (std::size_t i = 0; i < c.warnedKeys.size(); ++i) {
            const QString& warning = warnings[static_cast<qsizetype>(i)];
            EXPECT_TRUE(warning.contains(QString::fromStdString(c.warnedKeys[i])))
                << warning.toStdString();
            EXPECT_TRUE(warning.startsWith(QString::fromStdString(file))) << warning.toStdString();
        }
    }
}

TEST(ProgramSettingsTest, AMissingFileMeansTheDefaults) {
    QStringList warnings;
    const ProgramSettings read =
        readProgramSettings(QStringLiteral("/nonexistent/veltrop.conf"), warnings);
    EXPECT_EQ(read.clipboardClearSeconds, 30);
    EXPECT_TRUE(read.lockOnScreenLock);
    EXPECT_EQ(read.lockAfterIdleMinutes, 0);
    EXPECT_TRUE(warnings.isEmpty());
}

TEST(ProgramSettingsTest, TheFileIsUnderTheUsersConfigurationFolder) {
    qputenv("XDG_CONFIG_HOME", "/home/someone/.cfg");
    EXPECT_EQ(programSettingsFile(), QStringLiteral("/home/someone/.cfg/veltrop/veltrop.conf"));
}

}  // namespace
}  // namespace veltrop::testing
