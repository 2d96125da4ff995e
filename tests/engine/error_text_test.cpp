#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine/error.h"
#include "engine/error_text.h"

namespace veltrop::engine {
namespace {

const std::string kTableContext = "Table: Veltrop.DB";

TEST(CodeMessage, EveryCodeThatTheUserCanMeetHasItsOwnText) {
    const ErrorCode codes[] = {
        ErrorCode::TableNotFound, ErrorCode::DirectoryNotFound, ErrorCode::NotATable,
        ErrorCode::TableDamaged,  ErrorCode::WrongStructure,    ErrorCode::InsufficientRights,
        ErrorCode::ReadOnly,      ErrorCode::TableLocked,       ErrorCode::RecordLocked,
        ErrorCode::RecordDeleted, ErrorCode::DiskFull,          ErrorCode::WriteFailed,
        ErrorCode::ReadFailed,    ErrorCode::TableExists,
    };
    std::set<std::string> seen;
    for (ErrorCode code : codes) {
        const std::string text = codeMessage(code);
        EXPECT_FALSE(text.empty()) << std::hex << static_cast<int>(code);
        EXPECT_TRUE(seen.insert(text).second) << "repeated text: " << text;
    }
}

TEST(ComposeErrorText, WithoutContextIsTheCodeMessage) {
    EXPECT_EQ(composeErrorText(ErrorCode::TableNotFound, {}),
              codeMessage(ErrorCode::TableNotFound));
}

TEST(ComposeErrorText, RecordLockedNamesTheRecordAndTheTable) {
    const std::string text =
        composeErrorText(ErrorCode::RecordLocked, {{ErrorCode::RecordLocked, 0, kTableContext}});
    EXPECT_EQ(text, "Record locked by another user\nTable: Veltrop.DB");
}

TEST(ComposeErrorText, EachContextEntryAddsItsCodeMessageThenItsText) {
    const std::string text = composeErrorText(
        ErrorCode::TableLocked,
        {{ErrorCode::ReadOnly, 0, "first"}, {ErrorCode::TableDamaged, 0, "second"}});
    EXPECT_EQ(text, codeMessage(ErrorCode::TableLocked) + "\n" + codeMessage(ErrorCode::ReadOnly) +
                        "\nfirst\n" + codeMessage(ErrorCode::TableDamaged) + "\nsecond");
}

TEST(ComposeErrorText, TextsAlreadyPresentAreLeftOut) {
    const std::string text =
        composeErrorText(ErrorCode::TableNotFound, {{ErrorCode::TableNotFound, 0, kTableContext},
                                                    {ErrorCode::ReadOnly, 0, kTableContext},
                                                    {ErrorCode::ReadOnly, 0, "xyzzy"}});
    EXPECT_EQ(text, codeMessage(ErrorCode::TableNotFound) + "\n" + kTableContext + "\n" +
                        codeMessage(ErrorCode::ReadOnly) + "\nxyzzy");
}

TEST(ComposeErrorText, BlanksAroundTextsAreTrimmedAndBlankTextsGiveNoLine) {
    const std::string text = composeErrorText(
        ErrorCode::TableNotFound, {{ErrorCode::TableNotFound, 0, "   Table: Veltrop.DB  "},
                                   {ErrorCode::TableNotFound, 0, "   "},
                                   {ErrorCode::TableNotFound, 0, ""},
                                   {ErrorCode::TableNotFound, 0, " Table: Veltrop.DB"}});
    EXPECT_EQ(text, codeMessage(ErrorCode::TableNotFound) + "\n" + kTableContext);
}

TEST(ComposeErrorText, NativeEntriesGiveOnlyTheirText) {
    const std::string text = composeErrorText(
        ErrorCode::WriteFailed, {{ErrorCode::DiskFull, 13, "database or disk is full"}});
    EXPECT_EQ(text, codeMessage(ErrorCode::WriteFailed) + "\ndatabase or disk is full");
}

TEST(ComposeErrorText, StorageFailureUsesOnlyTheContextTexts) {
    const std::string text =
        composeErrorText(ErrorCode::StorageFailure, {{ErrorCode::DiskFull, 0, " disk I/O error "},
                                                     {ErrorCode::StorageFailure, 10, kTableContext},
                                                     {ErrorCode::ReadFailed, 0, "disk I/O error"}});
    EXPECT_EQ(text, "disk I/O error\n" + kTableContext);
}

TEST(ComposeErrorText, NothingLeftFallsBackToTheCodeInFourHexDigits) {
    EXPECT_EQ(composeErrorText(ErrorCode::StorageFailure, {}), "Engine error $2ec4");
    EXPECT_EQ(composeErrorText(ErrorCode::StorageFailure,
                               {{ErrorCode::DiskFull, 0, "  "}, {ErrorCode::DiskFull, 13, ""}}),
              "Engine error $2ec4");
    // A code without a message of its own, padded to four lower-case digits.
    EXPECT_EQ(composeErrorText(static_cast<ErrorCode>(0x00ab), {}), "Engine error $00ab");
}

TEST(EngineError, MessageIsTheComposedText) {
    const std::vector<ErrorContext> context{{ErrorCode::DiskFull, 13, "database or disk is full"},
                                            {ErrorCode::WriteFailed, 0, kTableContext}};
    const EngineError error(ErrorCode::WriteFailed, context);
    EXPECT_EQ(error.code(), ErrorCode::WriteFailed);
    EXPECT_EQ(error.context().size(), 2u);
    EXPECT_EQ(error.message(), composeErrorText(ErrorCode::WriteFailed, context));
    EXPECT_STREQ(error.what(), error.message().c_str());
    EXPECT_STREQ(error.kindName(), "EEngineError");
}

TEST(EngineError, StorageFailureWithoutContextStillSaysSomething) {
    const EngineError error(ErrorCode::StorageFailure, {});
    EXPECT_EQ(error.message(), "Engine error $2ec4");
}

}  // namespace
}  // namespace veltrop::engine
