#include "store/table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/error.h"
#include "engine/session.h"
#include "store/code_points.h"
#include "store/credential_table.h"
#include "store/errors.h"
#include "store/table_listener.h"
#include "support/credential_records.h"
#include "support/expect_error.h"
#include "support/temp_folder.h"

// Lets failed comparisons show the text rather than the object's bytes.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace veltrop {
namespace {

using engine::RawRecord;
using engine::RecordNumber;
using testing::ThrowsEngineError;
using testing::ThrowsErrorWithMessage;

const std::string kFile = credentials::kFileName;
const char* const kDescription = credentials::kDescription;
const char* const kUrl = credentials::kUrl;
const char* const kLoginId = credentials::kLoginId;
const char* const kPassword = credentials::kPassword;
const char* const kNote = credentials::kNote;

RawRecord credential(const std::string& description, const std::string& url = "u",
                     const std::string& login = "l", const std::string& password = "p",
                     const std::string& note = "") {
    return {description, url, login, password, note};
}

const std::string kClosed = "Table1: Cannot perform this operation on a closed dataset";
const std::string kEmpty = "Table1: Cannot perform this operation on an empty dataset";
const std::string kReadOnly = "Table1: Cannot modify a read-only dataset";
const std::string kNotEditing = "Table1: Dataset not in edit or insert mode";

// Writes down everything a cursor tells its controls, in order, in a log it may share.
class Recorder : public TableListener {
public:
    explicit Recorder(std::vector<std::string>& log) : log_(log) {}
    void tableStateChanged() override { log_.push_back("state"); }
    void recordChanged() override { log_.push_back("record"); }
    void fieldChanged(int field) override { log_.push_back("field " + std::to_string(field)); }
    void updateRecord() override {
        log_.push_back("update");
        if (onUpdate) {
            onUpdate();
        }
    }

    std::function<void()> onUpdate;

private:
    std::vector<std::string>& log_;
};

class TableTest : public ::testing::Test {
protected:
    void createTable(const std::vector<RawRecord>& records = {}) {
        testing::createCredentialTable(session_, kFile, records);
    }

    // The records in the file, in table order, as another reader sees them now.
    std::vector<RawRecord> stored() {
        std::vector<RawRecord> records;
        for (const auto& row :
             session_.openTable(kFile, engine::OpenMode::ReadOnly)->readFrom(0, 1000)) {
            records.push_back(row.values);
        }
        return records;
    }

    // A cursor like the main window's: its BeforePost hook counts calls, logs them and
    // vetoes while veto_ is set.
    std::unique_ptr<Table> makeTable() {
        auto table = std::make_unique<Table>(QStringLiteral("Table1"), session_, kFile,
                                             credentials::definition());
        table->setBeforePost([this](Table&) {
            ++beforePostCalls_;
            log_.push_back("beforePost");
            if (veto_) {
                throw Abort();
            }
        });
        return table;
    }

    std::unique_ptr<Table> openTable() {
        auto table = makeTable();
        table->open();
        return table;
    }

    static std::string text(Table& table, const char* field) {
        return table.fieldByName(QString::fromUtf8(field)).asString().toStdString();
    }

    // What an editor does on a keystroke: put the record in edit state, then assign.
    static void type(Table& table, const char* field, const std::string& value) {
        table.Edit();
        table.fieldByName(QString::fromUtf8(field)).setAsString(QString::fromStdString(value));
    }

    static void moveTo(Table& table, int position) {
        table.first();
        for (int i = 0; i < position; ++i) {
            table.next();
        }
    }

    testing::TempFolder folder_;
    engine::Session session_;
    int beforePostCalls_ = 0;
    bool veto_ = false;
    std::vector<std::string> log_;
};

TEST_F(TableTest, OpenShowsTheFirstRecordInBrowseState) {
    createTable({credential("a", "ua", "la", "pa", "na"), credential("b")});
    const auto table = openTable();
    EXPECT_EQ(table->state(), TableState::Browse);
    EXPECT_FALSE(table->isEmpty());
    EXPECT_FALSE(table->readOnly());
    EXPECT_EQ(text(*table, kDescription), "a");
    EXPECT_EQ(text(*table, kUrl), "ua");
    EXPECT_EQ(text(*table, kLoginId), "la");
    EXPECT_EQ(text(*table, kPassword), "pa");
    EXPECT_EQ(text(*table, kNote), "na");
    EXPECT_EQ(testing::readRecords(*table),
              (std::vector<RawRecord>{credential("a", "ua", "la", "pa", "na"), credential("b")}));
}

TEST_F(TableTest, EditOnAnEmptyTableStartsAnInsertWithoutAQuestion) {
    createTable();
    const auto table = openTable();
    EXPECT_TRUE(table->isEmpty());
    table->Edit();
    EXPECT_EQ(table->state(), TableState::Insert);
    EXPECT_FALSE(table->modified());
    EXPECT_EQ(beforePostCalls_, 0);

    table->fieldByName(kDescription).setAsString("first");
    table->Post();
    EXPECT_EQ(beforePostCalls_, 1);
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("first", "", "", "", "")}));
}

TEST_F(TableTest, InsertPostsAModifiedEditFirst) {
    createTable({credential("a"), credential("b")});
    const auto table = openTable();
    type(*table, kUrl, "changed");
    table->Insert();
    EXPECT_EQ(beforePostCalls_, 1);
    EXPECT_EQ(table->state(), TableState::Insert);
    EXPECT_FALSE(table->modified());
    EXPECT_EQ(text(*table, kUrl), "");
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("a", "changed"), credential("b")}));
}

TEST_F(TableTest, InsertPostsAModifiedInsertFirst) {
    createTable();
    const auto table = openTable();
    table->Insert();
    table->fieldByName(kDescription).setAsString("new");
    table->Insert();
    EXPECT_EQ(beforePostCalls_, 1);
    EXPECT_EQ(table->state(), TableState::Insert);
    EXPECT_EQ(text(*table, kDescription), "");
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("new", "", "", "", "")}));
}

TEST_F(TableTest, AVetoedSettleStartsNoNewRecord) {
    createTable({credential("a")});
    const auto table = openTable();
    type(*table, kUrl, "changed");
    veto_ = true;
    EXPECT_THROW(table->Insert(), Abort);
    EXPECT_EQ(beforePostCalls_, 1);
    EXPECT_EQ(table->state(), TableState::Edit);
    EXPECT_TRUE(table->modified());
    EXPECT_EQ(text(*table, kDescription), "a");
    EXPECT_EQ(text(*table, kUrl), "changed");
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("a")}));
}

TEST_F(TableTest, InsertDropsAnUntouchedRecordSilently) {
    createTable({credential("a")});
    const auto table = openTable();
    table->Edit();
    table->Insert();
    EXPECT_EQ(table->state(), TableState::Insert);
    table->Insert();
    EXPECT_EQ(table->state(), TableState::Insert);
    EXPECT_EQ(beforePostCalls_, 0);
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("a")}));
}

TEST_F(TableTest, PostInBrowseStateFails) {
    createTable({credential("a")});
    const auto table = openTable();
    EXPECT_THAT([&] { table->Post(); }, ThrowsErrorWithMessage<DatabaseError>(kNotEditing));
    EXPECT_EQ(beforePostCalls_, 0);
    EXPECT_EQ(table->state(), TableState::Browse);
}

TEST_F(TableTest, PostOfAnUntypedInsertStoresAnEmptyRecord) {
    createTable({credential("a")});
    const auto table = openTable();
    table->Insert();
    table->Post();
    EXPECT_EQ(beforePostCalls_, 1);
    EXPECT_EQ(table->state(), TableState::Browse);
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("a"), RawRecord(5, "")}));
}

TEST_F(TableTest, APostedInsertIsAppendedAndBecomesCurrent) {
    createTable({credential("a"), credential("b"), credential("c")});
    const auto table = openTable();
    table->Insert();
    table->fieldByName(kDescription).setAsString("new");
    table->Post();
    EXPECT_EQ(text(*table, kDescription), "new");
    table->next();
    EXPECT_TRUE(table->eof());
    EXPECT_EQ(text(*table, kDescription), "new");
    EXPECT_EQ(testing::readRecords(*table),
              (std::vector<RawRecord>{credential("a"), credential("b"), credential("c"),
                                      credential("new", "", "", "", "")}));
}

TEST_F(TableTest, PostOfAnEditReplacesTheRecordAndKeepsItCurrent) {
    createTable({credential("a"), credential("b"), credential("c")});
    const auto table = openTable();
    moveTo(*table, 1);
    type(*table, kNote, "line one\nline two");
    table->Post();
    EXPECT_EQ(table->state(), TableState::Browse);
    EXPECT_EQ(text(*table, kDescription), "b");
    EXPECT_EQ(text(*table, kNote), "line one\nline two");
    EXPECT_EQ(stored()[1], credential("b", "u", "l", "p", "line one\nline two"));
}

TEST_F(TableTest, AVetoedPostWritesNothingAndKeepsTheValues) {
    createTable({credential("a")});
    const auto table = openTable();
    type(*table, kUrl, "changed");
    veto_ = true;
    EXPECT_THROW(table->Post(), Abort);
    EXPECT_EQ(table->state(), TableState::Edit);
    EXPECT_TRUE(table->modified());
    EXPECT_EQ(text(*table, kUrl), "changed");
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("a")}));
}

TEST_F(TableTest, AHookThatCancelsBeforeItVetoesLeavesTheStoredValues) {
    createTable({credential("a")});
    const auto table = openTable();
    table->setBeforePost([&](Table& self) {
        ++beforePostCalls_;
        self.Cancel();
        throw Abort();
    });
    type(*table, kUrl, "changed");
    EXPECT_THROW(table->Post(), Abort);
    EXPECT_EQ(beforePostCalls_, 1);
    EXPECT_EQ(table->state(), TableState::Browse);
    EXPECT_EQ(text(*table, kUrl), "u");
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("a")}));
}

TEST_F(TableTest, CancelAfterTypingShowsTheStoredValues) {
    createTable({credential("a"), credential("b")});
    const auto table = openTable();
    moveTo(*table, 1);
    type(*table, kDescription, "typed");
    type(*table, kPassword, "secret");
    table->Cancel();
    EXPECT_EQ(table->state(), TableState::Browse);
    EXPECT_FALSE(table->modified());
    EXPECT_EQ(text(*table, kDescription), "b");
    EXPECT_EQ(text(*table, kPassword), "p");
    EXPECT_EQ(beforePostCalls_, 0);
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("a"), credential("b")}));
}

TEST_F(TableTest, CancelAfterInsertReturnsToThePreviousRecord) {
    createTable({credential("a"), credential("b"), credential("c")});
    const auto table = openTable();
    moveTo(*table, 1);
    table->Insert();
    table->fieldByName(kDescription).setAsString("typed");
    table->Cancel();
    EXPECT_EQ(table->state(), TableState::Browse);
    EXPECT_EQ(text(*table, kDescription), "b");
    EXPECT_EQ(stored().size(), 3u);
}

TEST_F(TableTest, CancelAfterInsertOnAnEmptyTableShowsNothing) {
    createTable();
    const auto table = openTable();
    table->Insert();
    table->fieldByName(kDescription).setAsString("typed");
    table->Cancel();
    EXPECT_TRUE(table->isEmpty());
    EXPECT_EQ(text(*table, kDescription), "");
    EXPECT_TRUE(stored().empty());
}

TEST_F(TableTest, DeleteInInsertStateRemovesNothing) {
    createTable({credential("a"), credential("b")});
    const auto table = openTable();
    moveTo(*table, 1);
    table->Insert();
    table->fieldByName(kDescription).setAsString("typed");
    table->Delete();
    EXPECT_EQ(table->state(), TableState::Browse);
    EXPECT_EQ(text(*table, kDescription), "b");
    EXPECT_EQ(beforePostCalls_, 0);
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("a"), credential("b")}));
}

TEST_F(TableTest, DeleteMakesTheFollowingRecordCurrent) {
    createTable({credential("a"), credential("b"), credential("c")});
    const auto table = openTable();
    moveTo(*table, 1);
    table->Delete();
    EXPECT_EQ(table->state(), TableState::Browse);
    EXPECT_EQ(text(*table, kDescription), "c");
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("a"), credential("c")}));
}

TEST_F(TableTest, DeleteOfTheLastRecordMakesThePreviousCurrent) {
    createTable({credential("a"), credential("b"), credential("c")});
    const auto table = openTable();
    moveTo(*table, 2);
    table->Delete();
    EXPECT_EQ(text(*table, kDescription), "b");
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("a"), credential("b")}));
}

TEST_F(TableTest, DeleteInEditStateDropsTheChangesWithTheRecord) {
    createTable({credential("a"), credential("b")});
    const auto table = openTable();
    type(*table, kUrl, "changed");
    table->Delete();
    EXPECT_EQ(table->state(), TableState::Browse);
    EXPECT_EQ(beforePostCalls_, 0);
    EXPECT_EQ(text(*table, kDescription), "b");
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("b")}));
}

TEST_F(TableTest, DeleteOfTheOnlyRecordLeavesNothingCurrent) {
    createTable({credential("only", "u", "l", "p", "n")});
    const auto table = openTable();
    table->Delete();
    EXPECT_TRUE(table->isEmpty());
    EXPECT_EQ(table->state(), TableState::Browse);
    for (int i = 0; i < table->fieldCount(); ++i) {
        EXPECT_EQ(table->field(i).asString(), QString()) << i;
    }
    EXPECT_TRUE(stored().empty());
    EXPECT_THAT([&] { table->Delete(); }, ThrowsErrorWithMessage<DatabaseError>(kEmpty));
}

TEST_F(TableTest, DeleteOnAnEmptyTableFails) {
    createTable();
    const auto table = openTable();
    EXPECT_THAT([&] { table->Delete(); }, ThrowsErrorWithMessage<DatabaseError>(kEmpty));
    EXPECT_EQ(table->state(), TableState::Browse);
}

TEST_F(TableTest, DeleteOfARecordAnotherCursorRemovedIsNoError) {
    createTable({credential("a"), credential("b"), credential("c")});
    const auto table = openTable();
    const auto other = openTable();
    moveTo(*table, 1);
    moveTo(*other, 1);
    other->Delete();
    table->Delete();
    EXPECT_EQ(table->state(), TableState::Browse);
    EXPECT_EQ(text(*table, kDescription), "c");
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("a"), credential("c")}));
}

TEST_F(TableTest, EveryOperationOnAClosedCursorFails) {
    createTable({credential("a")});
    const auto neverOpened = makeTable();
    const auto closed = openTable();
    closed->close();
    for (Table* table : {neverOpened.get(), closed.get()}) {
        EXPECT_EQ(table->state(), TableState::Inactive);
        EXPECT_FALSE(table->active());
        EXPECT_THAT([&] { table->Edit(); }, ThrowsErrorWithMessage<DatabaseError>(kClosed));
        EXPECT_THAT([&] { table->Insert(); }, ThrowsErrorWithMessage<DatabaseError>(kClosed));
        EXPECT_THAT([&] { table->Delete(); }, ThrowsErrorWithMessage<DatabaseError>(kClosed));
        EXPECT_THAT(
            [&] {
                table->Locate(credentials::kLocateKey, {"a", "u", "l", "p"});
            },
            ThrowsErrorWithMessage<DatabaseError>(kClosed));
        EXPECT_THAT([&] { table->Refresh(); }, ThrowsErrorWithMessage<DatabaseError>(kClosed));
        EXPECT_THAT([&] { table->first(); }, ThrowsErrorWithMessage<DatabaseError>(kClosed));
        EXPECT_THAT([&] { table->next(); }, ThrowsErrorWithMessage<DatabaseError>(kClosed));
        EXPECT_EQ(table->state(), TableState::Inactive);
    }
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("a")}));
}

TEST_F(TableTest, ACursorOpensAgainAfterClose) {
    createTable({credential("a"), credential("b")});
    const auto table = openTable();
    moveTo(*table, 1);
    table->close();
    table->open();
    EXPECT_EQ(table->state(), TableState::Browse);
    EXPECT_EQ(text(*table, kDescription), "a");
}

class LocateTest : public TableTest {
protected:
    void SetUp() override {
        createTable({credential("Mail", "https://mail.example", "joe", "pw", "first"),
                     credential("Bank", "https://bank.example", "jane", "pin", ""),
                     credential("Mail", "https://mail.example", "joe", "pw", "second"),
                     credential("NoPassword", "https://open.example", "guest", ""),
                     credential("", "", "", "", "all empty")});
        table_ = openTable();
    }

    bool locate(const QStringList& values, LocateOptions options = {}) {
        return table_->Locate(credentials::kLocateKey, values, options);
    }

    const QStringList mail_{"Mail", "https://mail.example", "joe", "pw"};
    const QStringList bank_{"Bank", "https://bank.example", "jane", "pin"};
    std::unique_ptr<Table> table_;
};

TEST_F(LocateTest, NoMatchKeepsTheCurrentRecord) {
    moveTo(*table_, 1);
    EXPECT_FALSE(locate({"Bank", "https://bank.example", "jane", "PIN"}));
    EXPECT_FALSE(locate({"Bank", "https://bank.example", "jane", "pi"}));
    EXPECT_EQ(table_->state(), TableState::Browse);
    EXPECT_EQ(text(*table_, kDescription), "Bank");
    table_->next();
    EXPECT_EQ(text(*table_, kNote), "second");
}

TEST_F(LocateTest, DuplicatesFindTheFirstInTableOrder) {
    moveTo(*table_, 2);
    EXPECT_TRUE(locate(mail_));
    EXPECT_EQ(text(*table_, kNote), "first");
    table_->next();
    EXPECT_EQ(text(*table_, kDescription), "Bank");
}

TEST_F(LocateTest, OptionsAllowAnyCaseAndAPrefix) {
    EXPECT_TRUE(table_->Locate(kDescription, {"BANK"}, {.caseInsensitive = true}));
    EXPECT_EQ(text(*table_, kDescription), "Bank");
    EXPECT_TRUE(table_->Locate("DESCRIPTION;URL", {"Mail", "https://mail"}, {.partialKey = true}));
    EXPECT_EQ(text(*table_, kNote), "first");
    EXPECT_FALSE(table_->Locate(kDescription, {"BANK"}));
    EXPECT_EQ(text(*table_, kNote), "first");
}

TEST_F(LocateTest, FindsRecordsWithEmptyFields) {
    EXPECT_TRUE(locate({"NoPassword", "https://open.example", "guest", ""}));
    EXPECT_EQ(text(*table_, kDescription), "NoPassword");
    EXPECT_TRUE(locate({"", "", "", ""}));
    EXPECT_EQ(text(*table_, kNote), "all empty");
}

TEST_F(LocateTest, AModifiedRecordIsSettledThroughBeforePost) {
    type(*table_, kLoginId, "changed");
    EXPECT_TRUE(locate(bank_));
    EXPECT_EQ(beforePostCalls_, 1);
    EXPECT_EQ(table_->state(), TableState::Browse);
    EXPECT_EQ(text(*table_, kDescription), "Bank");
    EXPECT_EQ(stored()[0][2], "changed");
}

TEST_F(LocateTest, AnUntouchedEditIsDroppedWithoutAQuestion) {
    table_->Edit();
    EXPECT_TRUE(locate(bank_));
    EXPECT_EQ(beforePostCalls_, 0);
    EXPECT_EQ(text(*table_, kDescription), "Bank");
}

TEST_F(LocateTest, AVetoedSettleDoesNotMove) {
    type(*table_, kLoginId, "changed");
    veto_ = true;
    EXPECT_THROW(locate(bank_), Abort);
    EXPECT_EQ(table_->state(), TableState::Edit);
    EXPECT_EQ(text(*table_, kDescription), "Mail");
    EXPECT_EQ(text(*table_, kLoginId), "changed");
    EXPECT_EQ(stored()[0][2], "joe");
}

TEST_F(LocateTest, AFailedSearchStillSettlesFirst) {
    type(*table_, kLoginId, "changed");
    EXPECT_FALSE(locate({"x", "y", "z", "w"}));
    EXPECT_EQ(beforePostCalls_, 1);
    EXPECT_EQ(table_->state(), TableState::Browse);
    EXPECT_EQ(text(*table_, kLoginId), "changed");
    EXPECT_EQ(stored()[0][2], "changed");
}

TEST(FirstCodePoints, CountsCodePointsAndNeverSplitsOne) {
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const auto cut = [](const QString& text, int size) {
        return firstCodePoints(text, size).toString();
    };
    EXPECT_EQ(cut("a" + emoji + "b", 3), "a" + emoji + "b");
    EXPECT_EQ(cut("ab" + emoji, 3), "ab" + emoji);
    EXPECT_EQ(cut("ab" + emoji, 2), "ab");
    EXPECT_EQ(cut(emoji + emoji + emoji, 2), emoji + emoji);
    EXPECT_EQ(cut("abc", 3), "abc");
    EXPECT_EQ(cut("", 3), "");
}

TEST(CodePointCount, APairIsOneAndALoneHalfIsOneToo) {
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString lone = QString(QChar(0xD83D));
    EXPECT_EQ(codePointCount(QString("a" + emoji + "b")), 3);
    EXPECT_EQ(codePointCount(QString(lone + "a" + lone)), 3);
    EXPECT_FALSE(hasLoneSurrogate(QString("a" + emoji)));
    EXPECT_TRUE(hasLoneSurrogate(QString(emoji + lone)));
    EXPECT_TRUE(hasLoneSurrogate(QString(emoji.right(1) + emoji.left(1))));
    EXPECT_TRUE(splitsPair(emoji, 1));
    EXPECT_FALSE(splitsPair(emoji, 0));
    EXPECT_FALSE(splitsPair(emoji, 2));
}

TEST_F(TableTest, OverLongValuesAreCutToTheFieldSize) {
    createTable();
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const auto table = openTable();
    table->Insert();
    table->fieldByName(kDescription).setAsString(QString(29, 'd') + emoji + "tail");
    table->fieldByName(kUrl).setAsString(QString(60, 'u'));
    table->fieldByName(kLoginId).setAsString(QString(25, 'l'));
    table->fieldByName(kPassword).setAsString(QString(19, 'p') + emoji + emoji);
    table->fieldByName(kNote).setAsString(QString(500, 'n'));
    EXPECT_EQ(table->fieldByName(kDescription).asString(), QString(29, 'd') + emoji);
    EXPECT_EQ(table->fieldByName(kUrl).size(), 55);
    EXPECT_EQ(table->fieldByName(kNote).size(), 0);
    table->Post();

    const std::string emojiBytes = "\xF0\x9F\x98\x80";
    EXPECT_EQ(stored().at(0), (RawRecord{std::string(29, 'd') + emojiBytes, std::string(55, 'u'),
                                         std::string(20, 'l'), std::string(19, 'p') + emojiBytes,
                                         std::string(500, 'n')}));
}

TEST_F(TableTest, ShowingAValueNeverChangesIt) {
    const RawRecord odd{"bad \xff utf-8", "u", std::string(25, 'l'), std::string("nul\0inside", 10),
                        "n"};
    createTable({odd});
    const auto table = openTable();
    type(*table, kUrl, "changed");
    table->Post();
    RawRecord expected = odd;
    expected[1] = "changed";
    EXPECT_EQ(stored(), std::vector<RawRecord>{expected});
}

TEST_F(TableTest, ClosingDropsPendingChangesWithoutAQuestion) {
    createTable({credential("a")});
    auto table = openTable();
    type(*table, kUrl, "changed");
    table->close();
    EXPECT_EQ(table->state(), TableState::Inactive);

    table->open();
    table->Insert();
    table->fieldByName(kDescription).setAsString("new");
    table.reset();

    EXPECT_EQ(beforePostCalls_, 0);
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("a")}));
}

TEST_F(TableTest, ModifiedIsSetByAssignmentAndClearedByStateChanges) {
    createTable({credential("a")});
    const auto table = openTable();
    EXPECT_FALSE(table->modified());
    table->Edit();
    EXPECT_FALSE(table->modified());
    table->fieldByName(kUrl).setAsString("u");
    EXPECT_TRUE(table->modified()) << "assigning the shown value is still an assignment";
    table->Cancel();
    EXPECT_FALSE(table->modified());

    type(*table, kUrl, "changed");
    EXPECT_TRUE(table->modified());
    table->Post();
    EXPECT_FALSE(table->modified());

    table->Insert();
    EXPECT_FALSE(table->modified());
    table->fieldByName(kNote).setAsString("x");
    EXPECT_TRUE(table->modified());
    table->Delete();
    EXPECT_FALSE(table->modified());
}

TEST_F(TableTest, EditRereadsTheStoredRecord) {
    createTable({credential("a")});
    const auto table = openTable();
    const auto other = openTable();
    type(*other, kUrl, "by other");
    other->Post();
    EXPECT_EQ(text(*table, kUrl), "u");
    table->Edit();
    EXPECT_EQ(text(*table, kUrl), "by other");
}

TEST_F(TableTest, AnEditedRecordIsLockedAgainstOtherCursors) {
    createTable({credential("a"), credential("b")});
    const auto table = openTable();
    const auto other = openTable();
    table->Edit();
    EXPECT_THAT([&] { other->Edit(); }, ThrowsEngineError(engine::ErrorCode::RecordLocked));
    EXPECT_EQ(other->state(), TableState::Browse);
    EXPECT_THAT([&] { other->Delete(); }, ThrowsEngineError(engine::ErrorCode::RecordLocked));
    EXPECT_EQ(stored().size(), 2u);
    other->next();
    other->Edit();
    other->Cancel();

    table->Post();
    other->first();
    other->Edit();
    other->Cancel();

    table->Edit();
    table->Cancel();
    other->Edit();
    other->Cancel();

    table->Edit();
    table->close();
    other->Edit();
    EXPECT_EQ(other->state(), TableState::Edit);
}

TEST_F(TableTest, RefreshShowsAnotherCursorsChangeAndKeepsTheRecord) {
    createTable({credential("a"), credential("b"), credential("c")});
    const auto table = openTable();
    const auto other = openTable();
    moveTo(*table, 1);
    moveTo(*other, 1);
    type(*other, kUrl, "by other");
    other->Post();
    EXPECT_EQ(text(*table, kUrl), "u") << "each cursor keeps its own copy until refreshed";
    table->Refresh();
    EXPECT_EQ(text(*table, kDescription), "b");
    EXPECT_EQ(text(*table, kUrl), "by other");

    other->Insert();
    other->fieldByName(kDescription).setAsString("d");
    other->Post();
    table->Refresh();
    EXPECT_EQ(text(*table, kDescription), "b");
    EXPECT_EQ(testing::readRecords(*table),
              (std::vector<RawRecord>{credential("a"), credential("b", "by other"), credential("c"),
                                      credential("d", "", "", "", "")}));
}

TEST_F(TableTest, RefreshMovesOnWhenTheCurrentRecordWasDeleted) {
    createTable({credential("a"), credential("b"), credential("c")});
    const auto table = openTable();
    moveTo(*table, 1);
    // Another program removes records under the cursor.
    const auto other = session_.openTable(kFile, engine::OpenMode::ReadWrite);
    const RecordNumber a = *other->first();
    const RecordNumber b = *other->next(a);
    const RecordNumber c = *other->next(b);

    other->remove(b);
    table->Refresh();
    EXPECT_EQ(text(*table, kDescription), "c");

    other->remove(c);
    table->Refresh();
    EXPECT_FALSE(table->isEmpty());
    EXPECT_EQ(text(*table, kDescription), "a");

    other->remove(a);
    table->Refresh();
    EXPECT_TRUE(table->isEmpty());
    EXPECT_EQ(text(*table, kDescription), "");
}

TEST_F(TableTest, RefreshSettlesAModifiedRecordFirst) {
    createTable({credential("a")});
    const auto table = openTable();
    type(*table, kUrl, "changed");
    table->Refresh();
    EXPECT_EQ(beforePostCalls_, 1);
    EXPECT_EQ(table->state(), TableState::Browse);
    EXPECT_EQ(stored(), (std::vector<RawRecord>{credential("a", "changed")}));
}

class ReadOnlyTableTest : public TableTest {
protected:
    void makeReadOnly() { std::filesystem::permissions(kFile, std::filesystem::perms(0444)); }
};

TEST_F(ReadOnlyTableTest, ShowsItsRecordsAndRefusesChanges) {
    createTable({credential("a"), credential("b")});
    makeReadOnly();
    const auto table = openTable();
    EXPECT_TRUE(table->readOnly());
    EXPECT_EQ(table->state(), TableState::Browse);
    EXPECT_EQ(testing::readRecords(*table),
              (std::vector<RawRecord>{credential("a"), credential("b")}));
    EXPECT_THAT([&] { table->Edit(); }, ThrowsErrorWithMessage<DatabaseError>(kReadOnly));
    EXPECT_THAT([&] { table->Insert(); }, ThrowsErrorWithMessage<DatabaseError>(kReadOnly));
    EXPECT_EQ(table->state(), TableState::Browse);
    EXPECT_THROW(table->Delete(), Error);
    EXPECT_EQ(stored().size(), 2u);
    EXPECT_TRUE(table->Locate(kDescription, {"a"}));
    EXPECT_EQ(beforePostCalls_, 0);
}

TEST_F(ReadOnlyTableTest, EditOnAnEmptyReadOnlyTableIsRefused) {
    createTable();
    makeReadOnly();
    const auto table = openTable();
    EXPECT_THAT([&] { table->Edit(); }, ThrowsErrorWithMessage<DatabaseError>(kReadOnly));
    EXPECT_EQ(table->state(), TableState::Browse);
    EXPECT_TRUE(stored().empty());
}

class ListenerTest : public TableTest {
protected:
    void SetUp() override {
        createTable({credential("a"), credential("b")});
        table_ = makeTable();
        table_->addListener(&recorder_);
    }

    bool logged(const std::string& entry) const {
        return std::find(log_.begin(), log_.end(), entry) != log_.end();
    }

    // Position of the first entry, or of the first one after `from`.
    std::ptrdiff_t position(const std::string& entry, std::ptrdiff_t from = -1) const {
        const auto found = std::find(log_.begin() + (from + 1), log_.end(), entry);
        return found == log_.end() ? -1 : found - log_.begin();
    }

    // Declared first so that it outlives the cursor, which may still report while closing.
    Recorder recorder_{log_};
    std::unique_ptr<Table> table_;
};

TEST_F(ListenerTest, StateAndRecordChangesAreReported) {
    table_->open();
    EXPECT_TRUE(logged("state"));
    EXPECT_TRUE(logged("record"));

    log_.clear();
    table_->Edit();
    EXPECT_TRUE(logged("state"));

    log_.clear();
    table_->fieldByName(kPassword).setAsString("x");
    EXPECT_TRUE(logged("field 3"));
    EXPECT_FALSE(logged("state"));

    log_.clear();
    table_->Cancel();
    EXPECT_TRUE(logged("state"));
    EXPECT_TRUE(logged("record"));

    log_.clear();
    table_->next();
    EXPECT_TRUE(logged("record"));

    log_.clear();
    table_->Insert();
    EXPECT_TRUE(logged("state"));
    EXPECT_TRUE(logged("record"));

    log_.clear();
    table_->Post();
    EXPECT_TRUE(logged("state"));

    log_.clear();
    EXPECT_TRUE(table_->Locate(kDescription, {"a"}));
    EXPECT_TRUE(logged("record"));

    log_.clear();
    table_->Delete();
    EXPECT_TRUE(logged("record"));

    log_.clear();
    table_->close();
    EXPECT_TRUE(logged("state"));
}

TEST_F(ListenerTest, PostWritesPendingTextBackBeforeTheHookAndTheWrite) {
    table_->open();
    table_->Edit();
    log_.clear();
    table_->Post();
    const auto update = position("update");
    const auto hook = position("beforePost");
    ASSERT_GE(update, 0);
    ASSERT_GT(hook, update);
    EXPECT_GT(position("state", hook), hook);
}

TEST_F(ListenerTest, TextWrittenBackOnPostIsStored) {
    table_->open();
    table_->Edit();
    recorder_.onUpdate = [&] { table_->fieldByName(kUrl).setAsString("from editor"); };
    table_->Post();
    EXPECT_EQ(text(*table_, kUrl), "from editor");
    EXPECT_EQ(stored().at(0), credential("a", "from editor"));
}

TEST_F(ListenerTest, TextWrittenBackDuringSettleCountsAsAChange) {
    table_->open();
    table_->Edit();
    recorder_.onUpdate = [&] {
        if (table_->state() != TableState::Browse) {
            table_->fieldByName(kUrl).setAsString("from editor");
        }
    };
    log_.clear();
    table_->Insert();
    EXPECT_LT(position("update"), position("beforePost"));
    EXPECT_EQ(beforePostCalls_, 1);
    EXPECT_EQ(stored().at(0), credential("a", "from editor"));
    recorder_.onUpdate = nullptr;
}

TEST_F(ListenerTest, AFailingWriteBackStopsThePost) {
    table_->open();
    type(*table_, kUrl, "typed");
    recorder_.onUpdate = [] { throw std::runtime_error("editor failed"); };
    EXPECT_THROW(table_->Post(), std::runtime_error);
    EXPECT_EQ(beforePostCalls_, 0);
    EXPECT_EQ(table_->state(), TableState::Edit);
    EXPECT_EQ(text(*table_, kUrl), "typed");
    EXPECT_EQ(stored().at(0), credential("a"));
    recorder_.onUpdate = nullptr;
}

TEST_F(ListenerTest, ARemovedListenerHearsNothing) {
    table_->removeListener(&recorder_);
    table_->open();
    table_->Edit();
    table_->Post();
    EXPECT_EQ(log_, std::vector<std::string>{"beforePost"});
    table_->addListener(&recorder_);
}

}  // namespace
}  // namespace veltrop
