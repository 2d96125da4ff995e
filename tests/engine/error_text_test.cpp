#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine/error.h"
#include "engine/error_text.h"

namespace veltrop::engine {
namespace {

const std::string kFile = "Veltrop.DB";
const std::string kTableContext = "Table: " + kFile;

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

TEST(ComposeErrorText, WithoutFileOrDetailsIsTheCodeMessage) {
    EXPECT_EQ(composeErrorText(ErrorCode::TableNotFound, {}, {}),
              codeMessage(ErrorCode::TableNotFound));
}

TEST(ComposeErrorText, RecordLockedNamesTheRecordAndTheTable) {
    EXPECT_EQ(composeErrorText(ErrorCode::RecordLocked, kFile, {}),
              "Record locked by another user\nTable: Veltrop.DB");
}

TEST(ComposeErrorText, TheCodeMessageThenTheFileThenEachDetail) {
    EXPECT_EQ(composeErrorText(ErrorCode::TableLocked, kFile, {"first", "second"}),
              codeMessage(ErrorCode::TableLocked) + "\n" + kTableContext + "\nfirst\nsecond");
}

TEST(ComposeErrorText, TextsAlreadyPresentAreLeftOut) {
    const std::string text =
        composeErrorText(ErrorCode::TableNotFound, kFile,
                         {kTableContext, codeMessage(ErrorCode::TableNotFound), "xyzzy", "xyzzy"});
    EXPECT_EQ(text, codeMessage(ErrorCode::TableNotFound) + "\n" + kTableContext + "\nxyzzy");
}

TEST(ComposeErrorText, BlanksAroundTextsAreTrimmedAndBlankTextsGiveNoLine) {
    const std::string text = composeErrorText(ErrorCode::TableNotFound, kFile,
                                              {"   Table: Veltrop.DB  ", "   ", "", " xyzzy"});
    EXPECT_EQ(text, codeMessage(ErrorCode::TableNotFound) + "\n" + kTableContext + "\nxyzzy");
}

TEST(ComposeErrorText, StorageFailureUsesOnlyTheFileAndTheDetails) {
    const std::string text =
        composeErrorText(ErrorCode::StorageFailure, kFile, {" disk I/O error ", "disk I/O error"});
    EXPECT_EQ(text, kTableContext + "\ndisk I/O error");
}

TEST(ComposeErrorText, NothingLeftFallsBackToTheCodeInFourHexDigits) {
    EXPECT_EQ(composeErrorText(ErrorCode::StorageFailure, {}, {}), "Engine error $2ec4");
    EXPECT_EQ(composeErrorText(ErrorCode::StorageFailure, {}, {"  ", ""}), "Engine error $2ec4");
    // A code without a message of its own, padded to four lower-case digits.
    EXPECT_EQ(composeErrorText(static_cast<ErrorCode>(0x00ab), {}, {}), "Engine error $00ab");
}

TEST(EngineError, KeepsItsFieldsAndItsMessageIsTheComposedText) {
    const EngineError error(ErrorCode::WriteFailed, kFile, {"database or disk is full"}, 13);
    EXPECT_EQ(error.code(), ErrorCode::WriteFailed);
    EXPECT_EQ(error.fileName(), kFile);
    EXPECT_EQ(error.details(), std::vector<std::string>{"database or disk is full"});
    EXPECT_EQ(error.nativeCode(), 13);
    EXPECT_EQ(error.message(),
              composeErrorText(ErrorCode::WriteFailed, kFile, {"database or disk is full"}));
    EXPECT_STREQ(error.what(), error.message().c_str());
    EXPECT_STREQ(error.kindName(), "EEngineError");
}

TEST(EngineError, StorageFailureWithoutDetailsStillSaysSomething) {
    const EngineError error(ErrorCode::StorageFailure, {});
    EXPECT_EQ(error.message(), "Engine error $2ec4");
}

}  // namespace
}  // namespace veltrop::engine
