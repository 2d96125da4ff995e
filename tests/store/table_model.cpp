#include "table_model.h"

#include <algorithm>

#include "engine/error_text.h"
#include "store/credential_table.h"
#include "store/errors.h"

namespace veltrop::testing {

namespace {

bool hasKey(const TableModel::Record& record, const QStringList& keyValues) {
    return std::equal(keyValues.begin(), keyValues.end(), record.values.begin());
}

template <typename Records>
auto* findRecord(Records& records, std::optional<int> serial) {
    auto found = std::find_if(records.begin(), records.end(),
                              [&](const auto& record) { return record.serial == serial; });
    return found == records.end() ? nullptr : &*found;
}

}  // namespace

TableModel::TableModel(std::vector<Values> initial, QString firstName, QString secondName) {
    for (Values& values : initial) {
        append(std::move(values));
    }
    cursors_[0].name = std::move(firstName);
    cursors_[0].hasHook = true;
    cursors_[1].name = std::move(secondName);
}

QString TableModel::cutToField(int field, const QString& text) {
    const engine::FieldDefinition& definition = credentials::definition().fields.at(field);
    if (definition.kind == engine::FieldKind::Memo) {
        return text;
    }
    QList<uint> codePoints = text.toUcs4();
    if (codePoints.size() > definition.size) {
        codePoints.resize(definition.size);
    }
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(codePoints.constData()),
                             codePoints.size());
}

void TableModel::append(Values values) {
    records_.push_back({nextSerial_++, std::move(values)});
}

const TableModel::Record* TableModel::live(std::optional<int> serial) const {
    return findRecord(records_, serial);
}

TableModel::Record* TableModel::live(std::optional<int> serial) {
    return findRecord(records_, serial);
}

std::optional<int> TableModel::firstLive() const {
    if (records_.empty()) {
        return std::nullopt;
    }
    return records_.front().serial;
}

std::optional<int> TableModel::liveAfter(int serial) const {
    for (const Record& record : records_) {
        if (record.serial > serial) {
            return record.serial;
        }
    }
    return std::nullopt;
}

std::optional<int> TableModel::liveBefore(int serial) const {
    std::optional<int> before;
    for (const Record& record : records_) {
        if (record.serial < serial) {
            before = record.serial;
        }
    }
    return before;
}

std::optional<int> TableModel::nearest(std::optional<int> serial) const {
    if (!serial) {
        return firstLive();
    }
    if (live(serial)) {
        return serial;
    }
    std::optional<int> after = liveAfter(*serial);
    return after ? after : liveBefore(*serial);
}

bool TableModel::lockedByOther(int c, int serial) const {
    const Cursor& other = cursors_.at(1 - c);
    return other.state == TableState::Edit && other.current == serial;
}

void TableModel::moveTo(Cursor& cursor, std::optional<int> serial) {
    cursor.current = serial;
    const Record* record = live(serial);
    cursor.buffer = record ? record->values : Values{};
}

void TableModel::leaveToBrowse(Cursor& cursor) {
    cursor.state = TableState::Browse;
    cursor.modified = false;
    cursor.pending.reset();
}

void TableModel::databaseError(int c, const char* message) const {
    throw ExpectedError{"EDatabaseError", (cursors_.at(c).name + ": " + message).toStdString(),
                        std::nullopt};
}

void TableModel::engineError(engine::ErrorCode code, int serial) const {
    throw ExpectedError{"EEngineError",
                        engine::codeMessage(code) + "\nTable: " + credentials::kFileName +
                            "\nRecord " + std::to_string(serial),
                        code};
}

bool TableModel::standsOnGoneRecord(int c) const {
    const Cursor& cursor = cursors_.at(c);
    return cursor.current && !live(cursor.current);
}

int TableModel::recordsWithKey(const QStringList& keyValues) const {
    return static_cast<int>(
        std::count_if(records_.begin(), records_.end(),
                      [&](const Record& record) { return hasKey(record, keyValues); }));
}

void TableModel::open(int c) {
    Cursor& cursor = at(c);
    leaveToBrowse(cursor);
    moveTo(cursor, firstLive());
    cursor.eof = !cursor.current;
}

void TableModel::settle(int c) {
    Cursor& cursor = at(c);
    if (cursor.state == TableState::Inactive) {
        databaseError(c, messages::kClosedDataset);
    }
    if (!cursor.editing()) {
        return;
    }
    writeBack(c);
    if (cursor.modified) {
        Post(c);
    } else {
        Cancel(c);
    }
}

void TableModel::writeBack(int c) {
    Cursor& cursor = at(c);
    if (!cursor.pending) {
        return;
    }
    auto [field, text] = *cursor.pending;
    cursor.pending.reset();
    setField(c, field, text);
}

void TableModel::setField(int c, int field, const QString& text) {
    Cursor& cursor = at(c);
    if (!cursor.editing()) {
        databaseError(c, messages::kNotEditing);
    }
    cursor.buffer.at(field) = cutToField(field, text);
    cursor.modified = true;
}

void TableModel::type(int c, int field, const QString& text) {
    at(c).pending = {field, text};
}

void TableModel::Edit(int c) {
    Cursor& cursor = at(c);
    if (cursor.editing()) {
        return;
    }
    if (!cursor.current) {
        Insert(c);
        return;
    }
    settle(c);
    const int serial = *cursor.current;
    if (!live(serial)) {
        // Show what is there instead, so the user is not left on a record that is gone.
        moveTo(cursor, nearest(serial));
        engineError(engine::ErrorCode::RecordDeleted, serial);
    }
    if (lockedByOther(c, serial)) {
        engineError(engine::ErrorCode::RecordLocked, serial);
    }
    moveTo(cursor, cursor.current);
    cursor.state = TableState::Edit;
    cursor.modified = false;
}

void TableModel::Insert(int c) {
    settle(c);
    Cursor& cursor = at(c);
    cursor.beforeInsert = cursor.current;
    cursor.buffer = Values{};
    cursor.state = TableState::Insert;
    cursor.modified = false;
}

void TableModel::Post(int c) {
    writeBack(c);
    Cursor& cursor = at(c);
    if (!cursor.editing()) {
        databaseError(c, messages::kNotEditing);
    }
    if (cursor.hasHook) {
        ++hookRuns_;
        if (hookAction_ == HookAction::CancelOnly || hookAction_ == HookAction::CancelAndAbort) {
            Cancel(c);
        }
        if (hookAction_ == HookAction::CancelAndAbort || hookAction_ == HookAction::Abort) {
            throw ExpectedError{"EAbort", Abort().message(), std::nullopt};
        }
        // A hook that ended the edit itself left nothing to write.
        if (!cursor.editing()) {
            return;
        }
    }
    if (cursor.state == TableState::Edit) {
        // The record is locked by this cursor, so it is still there.
        live(cursor.current)->values = cursor.buffer;
    } else {
        cursor.current = nextSerial_;
        append(cursor.buffer);
    }
    leaveToBrowse(cursor);
    moveTo(cursor, cursor.current);
}

void TableModel::Cancel(int c) {
    Cursor& cursor = at(c);
    if (!cursor.editing()) {
        return;
    }
    const bool wasInsert = cursor.state == TableState::Insert;
    leaveToBrowse(cursor);
    moveTo(cursor, wasInsert ? nearest(cursor.beforeInsert) : cursor.current);
}

void TableModel::Delete(int c) {
    Cursor& cursor = at(c);
    if (cursor.state == TableState::Inactive) {
        databaseError(c, messages::kClosedDataset);
    }
    if (cursor.state == TableState::Insert) {
        Cancel(c);
        return;
    }
    if (!cursor.current) {
        databaseError(c, messages::kEmptyDataset);
    }
    const int deleted = *cursor.current;
    if (lockedByOther(c, deleted)) {
        engineError(engine::ErrorCode::RecordLocked, deleted);
    }
    std::erase_if(records_, [&](const Record& record) { return record.serial == deleted; });
    leaveToBrowse(cursor);
    moveTo(cursor, nearest(deleted));
}

bool TableModel::Locate(int c, const QStringList& keyValues) {
    settle(c);
    for (const Record& record : records_) {
        if (hasKey(record, keyValues)) {
            moveTo(at(c), record.serial);
            return true;
        }
    }
    return false;
}

void TableModel::Refresh(int c) {
    settle(c);
    Cursor& cursor = at(c);
    moveTo(cursor, nearest(cursor.current));
}

void TableModel::first(int c) {
    settle(c);
    Cursor& cursor = at(c);
    moveTo(cursor, firstLive());
    cursor.eof = !cursor.current;
}

void TableModel::next(int c) {
    settle(c);
    Cursor& cursor = at(c);
    std::optional<int> following = cursor.current ? liveAfter(*cursor.current) : std::nullopt;
    if (following) {
        moveTo(cursor, following);
    }
    cursor.eof = !following;
}

}  // namespace veltrop::testing
