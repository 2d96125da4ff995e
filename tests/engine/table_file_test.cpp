#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/error.h"
#include "engine/session.h"
#include "engine/table_file.h"
#include "store/credential_table.h"
#include "support/expect_error.h"
#include "support/raw_database.h"
#include "support/temp_folder.h"

namespace veltrop::engine {
namespace {

using veltrop::testing::RawDatabase;
using veltrop::testing::readFileBytes;
using veltrop::testing::TempFolder;
using veltrop::testing::ThrowsEngineError;

const std::string kFile = credentials::kFileName;

enum Column { kDescription, kUrl, kLoginId, kPassword, kNote };
const std::vector<int> kLocateFields{kDescription, kUrl, kLoginId, kPassword};

RawRecord credential(const std::string& description, const std::string& url = "u",
                     const std::string& login = "l", const std::string& password = "p",
                     const std::string& note = "") {
    return {description, url, login, password, note};
}

class TableFileTest : public ::testing::Test {
protected:
    void SetUp() override { session_.createTable(kFile, credentials::definition()); }

    // Insert, update and delete on a read-only table each fail as read-only.
    static void expectWritesRefused(TableFile& table, RecordNumber number) {
        EXPECT_THAT([&] { table.insert(credential("b")); }, ThrowsEngineError(ErrorCode::ReadOnly));
        EXPECT_THAT(
            [&] {
                table.update(number, {{kUrl, "x"}});
            },
            ThrowsEngineError(ErrorCode::ReadOnly));
        EXPECT_THAT([&] { table.remove(number); }, ThrowsEngineError(ErrorCode::ReadOnly));
    }

    std::unique_ptr<TableFile> open(OpenMode mode = OpenMode::ReadWrite) {
        return session_.openTable(kFile, mode);
    }

    TempFolder folder_;
    Session session_;
};

TEST(CreateTable, MakesAnOwnerOnlyFileHoldingTheDeclaredIndex) {
    TempFolder folder;
    const mode_t previous = umask(0);
    Session().createTable(kFile, credentials::definition());
    umask(previous);

    struct stat info {};
    ASSERT_EQ(stat(kFile.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(readFileBytes(kFile).substr(0, 16), std::string("SQLite format 3\0", 16));

    RawDatabase raw(kFile);
    const std::string schema =
        "SELECT count(*), max(sql) FROM sqlite_master WHERE tbl_name = 'records' AND type = ";
    EXPECT_EQ(raw.row(schema + "'table'")[0].bytes, "1");
    const auto declared = raw.row(schema + "'index' AND name = 'Description_Non_Unique'");
    EXPECT_EQ(declared[0].bytes, "1");
    const std::string& index = declared[1].bytes;
    EXPECT_NE(index.find("\"DESCRIPTION\""), std::string::npos) << index;
    EXPECT_NE(index.find("NOCASE"), std::string::npos) << index;
    EXPECT_EQ(index.find("UNIQUE"), std::string::npos) << index;
}

TEST(CreateTable, TheDefinitionReadsBackFromTheFile) {
    TempFolder folder;
    Session().createTable(kFile, credentials::definition());

    Session reader;
    const auto table = reader.openTable(kFile, OpenMode::ReadOnly);
    EXPECT_TRUE(table->definition() == credentials::definition());
    ASSERT_EQ(table->definition().fields.size(), 5u);
    EXPECT_EQ(table->definition().fields[kUrl].size, 55);
    EXPECT_EQ(table->definition().fields[kNote].kind, FieldKind::Memo);
    EXPECT_EQ(table->definition().fields[kNote].size, 240);
}

TEST_F(TableFileTest, CreateOverAnExistingTableFailsAndLeavesItAlone) {
    open()->insert(credential("kept"));
    const std::string before = readFileBytes(kFile);

    EXPECT_THAT([&] { session_.createTable(kFile, credentials::definition()); },
                ThrowsEngineError(ErrorCode::TableExists));
    EXPECT_EQ(readFileBytes(kFile), before);
    EXPECT_EQ(open()->recordCount(), 1);
}

TEST(CreateTable, AnyExistingFileIsLeftAlone) {
    TempFolder folder;
    veltrop::testing::writeFileBytes(kFile, "not a table at all");
    EXPECT_THAT([] { Session().createTable(kFile, credentials::definition()); },
                ThrowsEngineError(ErrorCode::TableExists));
    EXPECT_EQ(readFileBytes(kFile), "not a table at all");
}

TEST_F(TableFileTest, AnEmptyTableHasNoRecords) {
    const auto table = open();
    EXPECT_EQ(table->first(), std::nullopt);
    EXPECT_EQ(table->last(), std::nullopt);
    EXPECT_EQ(table->next(0), std::nullopt);
    EXPECT_EQ(table->prior(1000), std::nullopt);
    EXPECT_EQ(table->read(1), std::nullopt);
    EXPECT_TRUE(table->readFrom(0, 10).empty());
    EXPECT_EQ(table->recordCount(), 0);
}

TEST_F(TableFileTest, RecordsFollowEachOtherInInsertionOrder) {
    const auto table = open();
    const RecordNumber a = table->insert(credential("a"));
    const RecordNumber b = table->insert(credential("b"));
    const RecordNumber c = table->insert(credential("c"));
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);

    EXPECT_EQ(table->recordCount(), 3);
    EXPECT_EQ(table->first(), a);
    EXPECT_EQ(table->last(), c);
    EXPECT_EQ(table->next(a), b);
    EXPECT_EQ(table->next(b), c);
    EXPECT_EQ(table->next(c), std::nullopt);
    EXPECT_EQ(table->prior(c), b);
    EXPECT_EQ(table->prior(b), a);
    EXPECT_EQ(table->prior(a), std::nullopt);
    EXPECT_EQ(table->read(b), credential("b"));

    const auto firstTwo = table->readFrom(a, 2);
    ASSERT_EQ(firstTwo.size(), 2u);
    EXPECT_EQ(firstTwo[0].number, a);
    EXPECT_EQ(firstTwo[0].values, credential("a"));
    EXPECT_EQ(firstTwo[1].number, b);
    EXPECT_EQ(table->readFrom(b, 10).size(), 2u);
    EXPECT_TRUE(table->readFrom(c + 1, 10).empty());
    EXPECT_TRUE(table->readFrom(a, 0).empty());
}

TEST_F(TableFileTest, NavigationStepsOverRemovedRecords) {
    const auto table = open();
    const RecordNumber a = table->insert(credential("a"));
    const RecordNumber b = table->insert(credential("b"));
    const RecordNumber c = table->insert(credential("c"));
    table->remove(b);

    EXPECT_EQ(table->recordCount(), 2);
    EXPECT_EQ(table->read(b), std::nullopt);
    EXPECT_EQ(table->next(a), c);
    EXPECT_EQ(table->prior(c), a);
    EXPECT_EQ(table->next(b), c);
    EXPECT_EQ(table->prior(b), a);
    const auto rows = table->readFrom(b, 5);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].number, c);
}

TEST_F(TableFileTest, InsertAppendsAtTheEndEvenAfterRemovals) {
    const auto table = open();
    const RecordNumber a = table->insert(credential("a"));
    const RecordNumber b = table->insert(credential("b"));
    table->remove(a);
    const RecordNumber d = table->insert(credential("d"));
    EXPECT_GT(d, b);
    EXPECT_EQ(table->last(), d);
    EXPECT_EQ(table->prior(d), b);

    std::vector<std::string> order;
    for (const RecordRow& row : table->readFrom(0, 10)) {
        order.push_back(row.values[kDescription]);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"b", "d"}));
}

TEST_F(TableFileTest, ValuesComeBackByteForByte) {
    const auto table = open();
    const RawRecord odd{std::string("nul\0inside", 10), "bad \xff\xfe utf-8", "\xF0\x9F\x98\x80",
                        "", "line one\r\nline two\n"};
    const RecordNumber number = table->insert(odd);
    EXPECT_EQ(table->read(number), odd);
    EXPECT_EQ(open()->readFrom(number, 1).at(0).values, odd);
}

TEST_F(TableFileTest, ValuesWithoutTextReadAsEmpty) {
    const RecordNumber number = open()->insert(credential("d", "u", "l", "p", "n"));
    RawDatabase(kFile).exec(R"(UPDATE records SET "URL" = NULL, "NOTE" = NULL)");
    const auto table = open();
    EXPECT_EQ(table->read(number), credential("d", "", "l", "p", ""));
    EXPECT_EQ(table->readFrom(number, 1).at(0).values, credential("d", "", "l", "p", ""));
}

TEST_F(TableFileTest, UpdateChangesOnlyTheGivenFields) {
    const auto table = open();
    const RecordNumber a = table->insert(credential("a", "ua", "la", "pa", "na"));
    const RecordNumber b = table->insert(credential("b", "ub", "lb", "pb", "nb"));
    table->update(a, {{kUrl, "changed"}, {kNote, ""}});
    EXPECT_EQ(table->read(a), credential("a", "changed", "la", "pa", ""));
    EXPECT_EQ(table->read(b), credential("b", "ub", "lb", "pb", "nb"));
    EXPECT_EQ(table->next(a), b);
}

TEST_F(TableFileTest, ChangingARecordThatIsGoneFailsWithRecordDeleted) {
    const auto table = open();
    const RecordNumber a = table->insert(credential("a"));
    const RecordNumber b = table->insert(credential("b"));
    open()->remove(a);

    EXPECT_THAT([&] { table->remove(a); }, ThrowsEngineError(ErrorCode::RecordDeleted));
    EXPECT_THAT(
        [&] {
            table->update(a, {{kUrl, "x"}});
        },
        ThrowsEngineError(ErrorCode::RecordDeleted));
    EXPECT_EQ(table->recordCount(), 1);
    EXPECT_EQ(table->read(b), credential("b"));
}

class FindTest : public TableFileTest {
protected:
    void SetUp() override {
        TableFileTest::SetUp();
        table_ = open();
        mail_ = table_->insert(credential("Mail", "https://mail.example", "joe", "pw", "first"));
        lowerMail_ = table_->insert(credential("mail", "https://mail.example", "joe", "pw"));
        mailAgain_ = table_->insert(credential("Mail", "https://mail.example", "joe", "pw", "2nd"));
        blank_ = table_->insert(credential("", "", "", "", "blank"));
        club_ = table_->insert(credential("500 club"));
        offer_ = table_->insert(credential("50% off"));
    }

    std::optional<RecordNumber> find(const std::vector<int>& fields,
                                     const std::vector<std::string>& values,
                                     SearchOptions options = {}) {
        return table_->find(fields, values, options);
    }

    std::unique_ptr<TableFile> table_;
    RecordNumber mail_ = 0, lowerMail_ = 0, mailAgain_ = 0, blank_ = 0, club_ = 0, offer_ = 0;
};

TEST_F(FindTest, ExactMatchIsCaseSensitiveAndFindsTheFirstOfDuplicates) {
    EXPECT_EQ(find(kLocateFields, {"Mail", "https://mail.example", "joe", "pw"}), mail_);
    EXPECT_EQ(find(kLocateFields, {"mail", "https://mail.example", "joe", "pw"}), lowerMail_);
    EXPECT_EQ(find(kLocateFields, {"MAIL", "https://mail.example", "joe", "pw"}), std::nullopt);
    EXPECT_EQ(find(kLocateFields, {"Mail", "https://mail.example", "joe", "pw "}), std::nullopt);
    EXPECT_EQ(find({kDescription}, {"Ma"}), std::nullopt);
    EXPECT_EQ(find({kNote}, {"2nd"}), mailAgain_);
}

TEST_F(FindTest, RemovedRecordsAreNotFound) {
    table_->remove(mail_);
    EXPECT_EQ(find(kLocateFields, {"Mail", "https://mail.example", "joe", "pw"}), mailAgain_);
}

TEST_F(FindTest, CaseInsensitiveOption) {
    const SearchOptions anyCase{.caseInsensitive = true};
    EXPECT_EQ(find(kLocateFields, {"MAIL", "HTTPS://mail.example", "Joe", "PW"}, anyCase), mail_);
    EXPECT_EQ(find({kDescription}, {"mai"}, anyCase), std::nullopt);
}

TEST_F(FindTest, PartialOptionTakesOnlyTheLastValueAsAPrefix) {
    const SearchOptions prefix{.partialLastField = true};
    EXPECT_EQ(find({kDescription}, {"ma"}, prefix), lowerMail_);
    EXPECT_EQ(find({kDescription}, {"MA"}, prefix), std::nullopt);
    EXPECT_EQ(find({kDescription, kUrl}, {"Mail", "https://"}, prefix), mail_);
    EXPECT_EQ(find({kDescription, kUrl}, {"Ma", "https://mail.example"}, prefix), std::nullopt);
    EXPECT_EQ(find({kDescription}, {"Mail"}, prefix), mail_);
    EXPECT_EQ(find({kDescription}, {"MA"}, {.caseInsensitive = true, .partialLastField = true}),
              mail_);
}

TEST_F(FindTest, PartialValuesAreTakenLiterally) {
    const SearchOptions prefix{.partialLastField = true};
    EXPECT_EQ(find({kDescription}, {"50%"}, prefix), offer_);
    EXPECT_EQ(find({kDescription}, {"5_0"}, prefix), std::nullopt);
    EXPECT_EQ(find({kDescription}, {"%"}, prefix), std::nullopt);
    EXPECT_EQ(find({kDescription}, {"5*"}, prefix), std::nullopt);
    EXPECT_EQ(find({kDescription}, {"50%"}), std::nullopt);
    EXPECT_EQ(find({kDescription}, {"500 club"}), club_);
}

TEST_F(FindTest, EmptyValuesMatchEmptyFields) {
    const RecordNumber noLogin = table_->insert(credential("NoLogin", "u", "", "p"));
    const RecordNumber noPassword = table_->insert(credential("NoPassword", "u", "l", ""));
    EXPECT_EQ(find({kDescription}, {""}, {.partialLastField = true}), mail_);
    EXPECT_EQ(find(kLocateFields, {"NoLogin", "u", "", "p"}), noLogin);
    EXPECT_EQ(find(kLocateFields, {"NoPassword", "u", "l", ""}), noPassword);
    EXPECT_EQ(find({kDescription}, {""}), blank_);
    EXPECT_EQ(find(kLocateFields, {"", "", "", ""}), blank_);
}

class LockTest : public TableFileTest {
protected:
    void SetUp() override {
        TableFileTest::SetUp();
        holder_ = open();
        other_ = open();
        record_ = holder_->insert(credential("locked"));
        spare_ = holder_->insert(credential("spare"));
    }

    std::unique_ptr<TableFile> holder_;
    std::unique_ptr<TableFile> other_;
    RecordNumber record_ = 0;
    RecordNumber spare_ = 0;
};

TEST_F(LockTest, ALockedRecordRefusesEveryOtherHolder) {
    holder_->lock(record_);
    EXPECT_TRUE(holder_->holdsLock(record_));
    EXPECT_FALSE(other_->holdsLock(record_));
    EXPECT_FALSE(holder_->holdsLock(spare_));

    EXPECT_THAT([&] { other_->lock(record_); }, ThrowsEngineError(ErrorCode::RecordLocked));
    EXPECT_THAT(
        [&] {
            other_->update(record_, {{kUrl, "x"}});
        },
        ThrowsEngineError(ErrorCode::RecordLocked));
    EXPECT_THAT([&] { other_->remove(record_); }, ThrowsEngineError(ErrorCode::RecordLocked));
    EXPECT_EQ(other_->read(record_), credential("locked"));

    holder_->update(record_, {{kUrl, "by holder"}});
    EXPECT_EQ(other_->read(record_), credential("locked", "by holder"));

    other_->lock(spare_);
    EXPECT_TRUE(other_->holdsLock(spare_));
    EXPECT_THAT([&] { holder_->lock(spare_); }, ThrowsEngineError(ErrorCode::RecordLocked));
}

TEST_F(LockTest, TheLockMessageSaysTheRecordIsLocked) {
    holder_->lock(record_);
    try {
        other_->lock(record_);
        FAIL() << "no error";
    } catch (const EngineError& error) {
        EXPECT_NE(error.message().find("locked"), std::string::npos) << error.message();
    }
}

TEST_F(LockTest, UnlockByTheHolderFreesTheRecord) {
    holder_->lock(record_);
    holder_->unlock(record_);
    EXPECT_FALSE(holder_->holdsLock(record_));
    other_->lock(record_);
    EXPECT_TRUE(other_->holdsLock(record_));
    other_->remove(record_);
    EXPECT_EQ(holder_->read(record_), std::nullopt);
}

TEST_F(LockTest, DestroyingTheHolderFreesItsLocks) {
    holder_->lock(record_);
    holder_->lock(spare_);
    holder_.reset();
    other_->lock(record_);
    other_->lock(spare_);
    EXPECT_TRUE(other_->holdsLock(record_));
    EXPECT_TRUE(other_->holdsLock(spare_));
}

TEST_F(LockTest, LocksHoldAcrossSessions) {
    Session second;
    const auto stranger = second.openTable(kFile, OpenMode::ReadWrite);
    holder_->lock(record_);
    EXPECT_THAT([&] { stranger->lock(record_); }, ThrowsEngineError(ErrorCode::RecordLocked));
    EXPECT_THAT([&] { stranger->remove(record_); }, ThrowsEngineError(ErrorCode::RecordLocked));
}

TEST(OpenTable, AMissingFileIsNotATable) {
    TempFolder folder;
    Session session;
    EXPECT_THAT([&] { session.openTable(kFile, OpenMode::ReadWrite); },
                ThrowsEngineError(ErrorCode::TableNotFound));
    EXPECT_THAT([&] { session.openTable(kFile, OpenMode::ReadOnly); },
                ThrowsEngineError(ErrorCode::TableNotFound));
    EXPECT_FALSE(std::filesystem::exists(kFile));
}

TEST_F(TableFileTest, OpeningAndReadingLeaveTheFileUntouched) {
    open()->insert(credential("a"));
    const std::string before = readFileBytes(kFile);
    const auto modifiedBefore = std::filesystem::last_write_time(kFile);
    {
        const auto table = open();
        EXPECT_EQ(table->recordCount(), 1);
        EXPECT_EQ(table->readFrom(0, 5).size(), 1u);
        table->reread();
    }
    EXPECT_EQ(readFileBytes(kFile), before);
    EXPECT_EQ(std::filesystem::last_write_time(kFile), modifiedBefore);
}

TEST_F(TableFileTest, AFileWithoutWriteBitsIsReadOnly) {
    const RecordNumber number = open()->insert(credential("a"));
    std::filesystem::permissions(kFile, std::filesystem::perms(0444));
    const std::string before = readFileBytes(kFile);

    EXPECT_THAT([&] { open(OpenMode::ReadWrite); }, ThrowsEngineError(ErrorCode::ReadOnly));

    const auto table = open(OpenMode::ReadOnly);
    EXPECT_TRUE(table->readOnly());
    EXPECT_EQ(table->first(), number);
    EXPECT_EQ(table->read(number), credential("a"));
    expectWritesRefused(*table, number);
    EXPECT_EQ(table->recordCount(), 1);
    EXPECT_EQ(readFileBytes(kFile), before);
}

TEST_F(TableFileTest, ReadOnlyModeRefusesWritesOnAWritableFile) {
    const RecordNumber number = open()->insert(credential("a"));
    const auto table = open(OpenMode::ReadOnly);
    EXPECT_TRUE(table->readOnly());
    EXPECT_FALSE(open(OpenMode::ReadWrite)->readOnly());
    expectWritesRefused(*table, number);
    EXPECT_EQ(table->read(number), credential("a"));
}

}  // namespace
}  // namespace veltrop::engine
