#include <gtest/gtest.h>

#include "app/error_texts.h"

namespace veltrop {
namespace {

TEST(ErrorBoxTextTest, AddsAFullStopOnlyAfterACharacterThatSortsAfterIt) {
    EXPECT_EQ(errorBoxText("Record locked by another user"), "Record locked by another user.");
    EXPECT_EQ(errorBoxText("Table: Veltrop.DB"), "Table: Veltrop.DB.");
    EXPECT_EQ(errorBoxText("Error 42"), "Error 42.");
    EXPECT_EQ(errorBoxText("Save Changes?"), "Save Changes?.");
    EXPECT_EQ(errorBoxText("Müll ü"), "Müll ü.");
    EXPECT_EQ(errorBoxText("Done."), "Done.");
    EXPECT_EQ(errorBoxText("Stop!"), "Stop!");
    EXPECT_EQ(errorBoxText("(see above)"), "(see above)");
    EXPECT_EQ(errorBoxText("one, two,"), "one, two,");
    EXPECT_EQ(errorBoxText("trailing blank "), "trailing blank ");
    EXPECT_EQ(errorBoxText("line\n"), "line\n");
    EXPECT_EQ(errorBoxText(""), "");
}

TEST(StartupFailureTextTest, FillsThePatternWithKindModulePositionAndMessage) {
    EXPECT_EQ(
        startupFailureText("EEngineError", "veltrop", 0x0040A1B2, "Not a table\nTable: Veltrop.DB"),
        "Exception EEngineError in module veltrop at 0040A1B2.\n"
        "Not a table\nTable: Veltrop.DB.");
}

TEST(StartupFailureTextTest, AddsAFullStopUnlessTheMessageIsEmptyOrEndsWithOne) {
    EXPECT_EQ(startupFailureText("E", "m", 0, "Done."),
              "Exception E in module m at 00000000.\nDone.");
    EXPECT_EQ(startupFailureText("E", "m", 0, ""), "Exception E in module m at 00000000.\n");
    // Unlike the handler's box, any other last character gets one.
    EXPECT_EQ(startupFailureText("E", "m", 0, "Stop!"),
              "Exception E in module m at 00000000.\nStop!.");
}

TEST(StartupFailureTextTest, TakesPlaceholdersInTheMessageLiterally) {
    EXPECT_EQ(startupFailureText("E", "m", 0xFFFFFFFF, "%1 %2 50%"),
              "Exception E in module m at FFFFFFFF.\n%1 %2 50%.");
}

}  // namespace
}  // namespace veltrop
