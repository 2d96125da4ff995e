#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "engine/error.h"
#include "engine/table_file.h"
#include "store/table_state.h"

namespace veltrop::testing {

inline constexpr int kFieldCount = 5;
inline constexpr int kKeyFieldCount = 4;

// A record's field texts, in field order.
using Values = std::array<QString, kFieldCount>;

// What the before-post hook does on its next run: let the post through, cancel and let
// it go on, cancel and veto (as the program's save confirmation does), or just veto.
enum class HookAction { Allow, CancelOnly, CancelAndAbort, Abort };

// An exception as the cursor should raise it. code is set for engine errors only.
struct ExpectedError {
    std::string kind;
    std::string text;
    std::optional<engine::ErrorCode> code;

    bool operator==(const ExpectedError&) const = default;
};

// What two cursors on one table file should do, written straight from the cursor's
// rules without any storage. Records are known by a serial that is never reused, so
// a record that another cursor deleted stays distinguishable from one added after.
// Every operation throws ExpectedError exactly where the real cursor must throw.
//
// A cursor's view of the table is its record buffer: it shows what it last read, and
// every move reads the file as it is then. Where the rules leave a case open:
// - a cursor with no current record that is refreshed, or whose insert is cancelled,
//   shows the first record, if another cursor has added one meanwhile;
// - Edit of a record that another cursor has removed moves to the next record (else the
//   previous) and fails with "The record has been deleted by another user";
// - assigning a field outside edit and insert fails with "Dataset not in edit or insert
//   mode", and next() without a current record only sets eof.
class TableModel {
public:
    // serial is also the number the file gives the record: numbers are never reused.
    struct Record {
        int serial;
        Values values;
    };

    struct Cursor {
        QString name;
        bool hasHook = false;
        TableState state = TableState::Inactive;
        bool modified = false;
        std::optional<int> current;  // serial; may name a record that is gone
        std::optional<int> beforeInsert;
        Values buffer;
        bool eof = true;
        // Text a bound editor holds that is not yet in the record buffer.
        std::optional<std::pair<int, QString>> pending;

        bool editing() const { return state == TableState::Edit || state == TableState::Insert; }
    };

    TableModel(std::vector<Values> initial, QString firstName, QString secondName);

    const std::vector<Record>& records() const { return records_; }
    const Cursor& cursor(int index) const { return cursors_.at(index); }
    int hookRuns() const { return hookRuns_; }
    // The cursor stands on a record that another cursor has removed since.
    bool standsOnGoneRecord(int c) const;
    // How many records hold these values in their four key fields.
    int recordsWithKey(const QStringList& keyValues) const;
    // The hook (first cursor only) acts like this on its runs until changed.
    void setHookAction(HookAction action) { hookAction_ = action; }

    void open(int c);
    void Edit(int c);
    void Insert(int c);
    void Post(int c);
    void Cancel(int c);
    void Delete(int c);
    bool Locate(int c, const QStringList& keyValues);
    void Refresh(int c);
    void first(int c);
    void next(int c);
    void setField(int c, int field, const QString& text);
    // A bound editor of the cursor takes text that it writes back on the next post or settle.
    void type(int c, int field, const QString& text);

    // Text cut to the field's size in code points; the note is never cut.
    static QString cutToField(int field, const QString& text);

private:
    Cursor& at(int c) { return cursors_.at(c); }
    const Record* live(std::optional<int> serial) const;
    Record* live(std::optional<int> serial);
    std::optional<int> firstLive() const;
    std::optional<int> liveAfter(int serial) const;
    std::optional<int> liveBefore(int serial) const;
    // The record to show in place of `serial`: itself while it lives, else the next, else the
    // previous; the first one when there is no serial.
    std::optional<int> nearest(std::optional<int> serial) const;
    bool lockedByOther(int c, int serial) const;
    void moveTo(Cursor& cursor, std::optional<int> serial);
    void settle(int c);
    void writeBack(int c);
    void leaveToBrowse(Cursor& cursor);
    [[noreturn]] void databaseError(int c, const char* message) const;
    [[noreturn]] void engineError(engine::ErrorCode code, int serial) const;
    void append(Values values);

    std::vector<Record> records_;
    std::array<Cursor, 2> cursors_;
    int nextSerial_ = 1;
    HookAction hookAction_ = HookAction::Allow;
    int hookRuns_ = 0;
};

}  // namespace veltrop::testing
