#include <gtest/gtest.h>

#include <QString>

#include "app/program_title.h"

namespace veltrop {
namespace {

TEST(ProgramTitleTest, CapitalisesTheNameUpToTheFirstFullStop) {
    EXPECT_EQ(titleFromProgramFile("ABCDEF.EXE"), "Abcdef");
    EXPECT_EQ(titleFromProgramFile("/usr/local/bin/veltrop"), "Veltrop");
    EXPECT_EQ(titleFromProgramFile("/opt/vELTROP"), "Veltrop");
    EXPECT_EQ(titleFromProgramFile("/opt/My.Tool.bin"), "My");
    EXPECT_EQ(titleFromProgramFile(QString::fromUtf8("/opt/éCOLE")), QString::fromUtf8("École"));
}

TEST(ProgramTitleTest, ADirectoryWithAFullStopDoesNotCutTheName) {
    EXPECT_EQ(titleFromProgramFile("/home/a.b/VELTROP"), "Veltrop");
}

TEST(ProgramTitleTest, ANameStartingWithAFullStopGivesAnEmptyTitle) {
    EXPECT_EQ(titleFromProgramFile("/tmp/.hidden"), "");
}

}  // namespace
}  // namespace veltrop
