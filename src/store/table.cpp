#include "store/table.h"

#include <sys/stat.h>

#include <algorithm>

#include "engine/error.h"
#include "engine/record_match.h"
#include "store/errors.h"
#include "store/table_listener.h"

namespace veltrop {

using engine::EngineError;
using engine::ErrorCode;

namespace {

constexpr const char* kSavedAsNew =
    "This record was changed on another machine. Your version was saved as a new record.";

}  // namespace

Table::Table(QString componentName, engine::Session& session, std::string fileName,
             engine::TableDefinition definition)
    : name_(std::move(componentName)),
      session_(session),
      fileName_(std::move(fileName)),
      declared_(std::move(definition)) {
    for (size_t i = 0; i < declared_.fields.size(); ++i) {
        fields_.push_back(std::make_unique<Field>(
            *this, static_cast<int>(i), QString::fromStdString(declared_.fields[i].name)));
    }
    clearBuffer();
}

Table::~Table() = default;

void Table::addListener(TableListener* listener) {
    listeners_.push_back(listener);
}

void Table::removeListener(TableListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

template <typename Notify>
void Table::notify(Notify notifyOne) {
    // A listener may remove itself while being told.
    const auto listeners = listeners_;
    for (auto* listener : listeners) {
        notifyOne(*listener);
    }
}

bool Table::readOnly() const {
    return file_ && file_->readOnly();
}

bool Table::isEmpty() const {
    return !current_;
}

engine::TableFile& Table::file() {
    requireActive();
    return *file_;
}

const engine::TableDefinition& Table::definition() const {
    return file_ ? file_->definition() : declared_;
}

void Table::fail(const char* message) const {
    throw DatabaseError(name_.toStdString(), message);
}

void Table::requireActive() const {
    if (state_ == TableState::Inactive) {
        fail(messages::kClosedDataset);
    }
}

void Table::requireWritable() const {
    if (readOnly()) {
        fail(messages::kReadOnlyDataset);
    }
}

void Table::failRecordGone(engine::RecordNumber number) const {
    throw EngineError(ErrorCode::RecordDeleted, fileName_, {"Record " + std::to_string(number)});
}

std::unique_ptr<engine::TableFile> Table::openFile(bool mayAsk) {
    for (;;) {
        std::optional<EngineError> refused;
        try {
            try {
                return session_.openTable(fileName_, engine::OpenMode::ReadWrite);
            } catch (const EngineError& error) {
                if (error.code() != ErrorCode::ReadOnly) {
                    throw;
                }
            }
            return session_.openTable(fileName_, engine::OpenMode::ReadOnly);
        } catch (const EngineError& error) {
            if (error.code() != ErrorCode::InsufficientRights || !passwordPrompt_ || !mayAsk) {
                throw;
            }
            refused = error;
        }
        // Asked outside the handler: the prompt runs a dialog of its own.
        if (!passwordPrompt_()) {
            throw *refused;
        }
    }
}

void Table::checkStructure(const engine::TableDefinition& found) const {
    const auto& expected = declared_.fields;
    bool same = found.fields.size() == expected.size();
    for (size_t i = 0; same && i < expected.size(); ++i) {
        same = found.fields[i].name == expected[i].name && found.fields[i].kind == expected[i].kind;
    }
    if (!same) {
        std::string names;
        for (const auto& field : found.fields) {
            names += (names.empty() ? "" : ";") + field.name;
        }
        throw EngineError(ErrorCode::WrongStructure, fileName_, {"Fields found: " + names});
    }
}

void Table::open() {
    if (active()) {
        return;
    }
    auto file = openFile();
    checkStructure(file->definition());
    file_ = std::move(file);
    current_.reset();
    enterState(TableState::Browse);
    load(file_->first());
}

void Table::openAt(std::optional<engine::RecordNumber> record) {
    open();
    if (record && current_ != record) {
        reposition(record);
    }
}

void Table::close() {
    if (!active()) {
        return;
    }
    editLock_.reset();
    file_.reset();
    current_.reset();
    eof_ = true;
    clearBuffer();
    enterState(TableState::Inactive);
    notify([](TableListener& listener) { listener.recordChanged(); });
}

void Table::enterState(TableState state) {
    modified_ = false;
    if (state != TableState::Edit) {
        editOrphaned_ = false;
    }
    if (state_ != state) {
        state_ = state;
        notify([](TableListener& listener) { listener.tableStateChanged(); });
    }
}

void Table::clearBuffer() {
    buffer_.assign(fields_.size(), Value{});
}

bool Table::load(std::optional<engine::RecordNumber> number) {
    std::optional<engine::RawRecord> record;
    if (number) {
        record = file_->read(*number);
    }
    if (number && !record) {
        return false;
    }
    show(number, std::move(record));
    return true;
}

void Table::show(std::optional<engine::RecordNumber> number,
                 std::optional<engine::RawRecord> record, bool tell) {
    current_ = number;
    eof_ = !number;
    clearBuffer();
    shown_ = record ? *record : engine::RawRecord{};
    if (record) {
        for (size_t i = 0; i < buffer_.size() && i < record->size(); ++i) {
            buffer_[i].stored = std::move((*record)[i]);
            buffer_[i].text = QString::fromUtf8(buffer_[i].stored);
        }
    }
    if (tell) {
        notify([](TableListener& listener) { listener.recordChanged(); });
    }
}

void Table::reposition(std::optional<engine::RecordNumber> around) {
    if (!around) {
        load(file_->first());
        return;
    }
    if (load(around)) {
        return;
    }
    const auto following = file_->next(*around);
    if (following && load(following)) {
        return;
    }
    load(file_->prior(*around));
}

void Table::writePendingText() {
    notify([](TableListener& listener) { listener.updateRecord(); });
}

void Table::settle() {
    requireActive();
    if (state_ == TableState::Edit || state_ == TableState::Insert) {
        writePendingText();
        if (modified_) {
            Post();
        } else {
            Cancel();
        }
    }
}

void Table::Edit() {
    if (state_ == TableState::Edit || state_ == TableState::Insert) {
        return;
    }
    requireActive();
    follow(true);
    if (!current_) {
        Insert();
        return;
    }
    requireWritable();
    const engine::RecordNumber number = *current_;
    RecordLock lock = lockRecord(*file_, number);
    auto record = file_->read(number);
    if (!record) {
        lock.reset();
        reposition(number);
        failRecordGone(number);
    }
    editLock_ = std::move(lock);
    // The editors reload with the change of state; only a record that changed since it
    // was shown is news to the other listeners.
    const bool changed = *record != shown_;
    show(number, std::move(record), false);
    enterState(TableState::Edit);
    if (changed) {
        notify([](TableListener& listener) { listener.recordChanged(); });
    }
    editBase_ = shown_;
}

void Table::Insert() {
    requireActive();
    follow(true);
    settle();
    requireWritable();
    clearBuffer();
    enterState(TableState::Insert);
    notify([](TableListener& listener) { listener.recordChanged(); });
}

void Table::Post() {
    writePendingText();
    if (state_ != TableState::Edit && state_ != TableState::Insert) {
        fail(messages::kNotEditing);
    }
    if (beforePost_) {
        beforePost_(*this);
    }
    // The hook may have ended the edit itself; then there is nothing left to write.
    if (state_ == TableState::Edit || state_ == TableState::Insert) {
        follow(true);
    }
    if (state_ == TableState::Edit) {
        if (editOrphaned_) {
            postOrphanedEdit();
        } else {
            postEdit();
        }
    } else if (state_ == TableState::Insert) {
        postInsert();
    }
}

void Table::postEdit() {
    std::vector<engine::FieldChange> changes;
    for (size_t i = 0; i < buffer_.size(); ++i) {
        if (buffer_[i].assigned) {
            changes.push_back({static_cast<int>(i), buffer_[i].stored});
        }
    }
    const engine::RecordNumber number = *current_;
    file_->update(number, changes);
    editLock_.reset();
    enterState(TableState::Browse);
    reposition(number);
}

// The record was changed or removed on another machine: replacing it would silently
// drop that change, so the user's version goes in beside it.
void Table::postOrphanedEdit() {
    engine::RawRecord values;
    for (const auto& value : buffer_) {
        values.push_back(value.stored);
    }
    const engine::RecordNumber number = engine::addOrJoin(*file_, values);
    editLock_.reset();
    enterState(TableState::Browse);
    reposition(number);
    if (notice_) {
        notice_(QString::fromLatin1(kSavedAsNew));
    }
}

void Table::postInsert() {
    engine::RawRecord values;
    for (const auto& value : buffer_) {
        values.push_back(value.stored);
    }
    const engine::RecordNumber number = file_->insert(values);
    enterState(TableState::Browse);
    reposition(number);
}

void Table::Cancel() {
    if (state_ != TableState::Edit && state_ != TableState::Insert) {
        return;
    }
    editLock_.reset();
    enterState(TableState::Browse);
    reposition(current_);
}

void Table::Delete() {
    requireActive();
    const engine::RawRecord confirmed = state_ == TableState::Edit ? editBase_ : shown_;
    follow(true);
    // What the user agreed to delete is already gone from the file now named: delete
    // nothing else in its place.
    const bool gone = state_ == TableState::Edit
                          ? editOrphaned_
                          : state_ == TableState::Browse && shown_ != confirmed;
    if (state_ == TableState::Insert || gone) {
        Cancel();
        return;
    }
    if (!current_) {
        fail(messages::kEmptyDataset);
    }
    const engine::RecordNumber number = *current_;
    try {
        file_->remove(number);
    } catch (const EngineError& error) {
        // Already removed through another cursor: the record is gone either way.
        if (error.code() != ErrorCode::RecordDeleted) {
            throw;
        }
    }
    editLock_.reset();
    enterState(TableState::Browse);
    reposition(number);
}

bool Table::Locate(const QString& keyFields, const QStringList& values, LocateOptions options) {
    requireActive();
    follow(true);
    settle();
    std::vector<int> fields;
    std::vector<std::string> keys;
    const QStringList names = keyFields.split(u';');
    for (qsizetype i = 0; i < names.size(); ++i) {
        fields.push_back(fieldByName(names[i]).index());
        keys.push_back(i < values.size() ? values[i].toStdString() : std::string());
    }
    const auto found = file_->find(fields, keys, {options.caseInsensitive, options.partialKey});
    if (!found) {
        return false;
    }
    reposition(found);
    return true;
}

void Table::Refresh() {
    requireActive();
    follow(true);
    settle();
    std::exception_ptr failure;
    try {
        file_->reread();
    } catch (...) {
        failure = std::current_exception();
    }
    reposition(current_);
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void Table::followName() {
    if (state_ == TableState::Browse) {
        follow(false);
    }
}

void Table::follow(bool mayAsk) {
    if (!file_ || file_->isStillNamed()) {
        return;
    }
    struct stat named {};
    const std::string target =
        stat(fileName_.c_str(), &named) == 0
            ? std::to_string(named.st_dev) + ":" + std::to_string(named.st_ino)
            : std::string("nothing");
    std::unique_ptr<engine::TableFile> next;
    try {
        next = openFile(mayAsk);
        checkStructure(next->definition());
    } catch (const EngineError& error) {
        switch (error.code()) {
            case ErrorCode::InsufficientRights:
                // Asked and cancelled: the command stops, the next one asks again.
                if (mayAsk) {
                    throw Abort();
                }
                return;
            case ErrorCode::TableLocked:
                // Being put in place or rewritten right now; the next command follows.
                return;
            case ErrorCode::TableNotFound:
                sayOnce(target, QString::fromStdString(fileName_) +
                                    " is no longer in its folder. Veltrop keeps working on the "
                                    "table it has open and creates no new one there.");
                return;
            default:
                sayOnce(target, QString::fromStdString(fileName_) +
                                    " was replaced by a file that Veltrop cannot open as its "
                                    "table:\n" +
                                    QString::fromStdString(error.message()) +
                                    "\nVeltrop keeps working on the table it has open.");
                return;
        }
    }
    refusedTarget_.clear();
    switchTo(std::move(next));
}

void Table::sayOnce(const std::string& target, const QString& text) {
    if (target == refusedTarget_) {
        return;
    }
    refusedTarget_ = target;
    if (notice_) {
        notice_(text);
    }
}

std::optional<engine::RecordNumber> Table::findAgain(std::optional<engine::RecordNumber> number,
                                                     const engine::RawRecord& values) {
    if (!number) {
        return file_->first();
    }
    if (file_->read(*number) == values) {
        return number;
    }
    if (const auto same = engine::findSameRecord(*file_, values)) {
        return same;
    }
    if (file_->read(*number)) {
        return number;
    }
    if (const auto following = file_->next(*number)) {
        return following;
    }
    return file_->prior(*number);
}

// The locks go with the old file; an edit moves to the first record that still holds
// what was read when it began, if there is one.
void Table::switchTo(std::unique_ptr<engine::TableFile> next) {
    editLock_.reset();
    file_ = std::move(next);
    switch (state_) {
        case TableState::Browse:
            load(findAgain(current_, shown_));
            break;
        case TableState::Insert:
            current_ = findAgain(current_, shown_);
            break;
        case TableState::Edit:
            if (const auto same = engine::findSameRecord(*file_, editBase_)) {
                current_ = same;
                editOrphaned_ = false;
                editLock_ = lockRecord(*file_, *same);
            } else {
                current_ = findAgain(current_, editBase_);
                editOrphaned_ = true;
            }
            break;
        case TableState::Inactive:
            break;
    }
}

void Table::first() {
    settle();
    load(file_->first());
}

void Table::next() {
    settle();
    // One read for both the position and the values: a scan costs one query a record.
    auto following =
        current_ ? file_->readFrom(*current_ + 1, 1) : std::vector<engine::RecordRow>{};
    if (following.empty()) {
        eof_ = true;
        return;
    }
    show(following.front().number, std::move(following.front().values));
}

Field* Table::findField(const QString& name) {
    for (auto& field : fields_) {
        if (field->name().compare(name, Qt::CaseInsensitive) == 0) {
            return field.get();
        }
    }
    return nullptr;
}

Field& Table::fieldByName(const QString& name) {
    Field* field = findField(name);
    if (!field) {
        throw DatabaseError(name_.toStdString(), "Field '" + name.toStdString() + "' not found");
    }
    return *field;
}

QString Table::valueText(int index) const {
    return buffer_.at(index).text;
}

void Table::assign(int index, const QString& text) {
    if (state_ != TableState::Edit && state_ != TableState::Insert) {
        fail(messages::kNotEditing);
    }
    Value& value = buffer_.at(index);
    value.text = text;
    value.stored = text.toStdString();
    value.assigned = true;
    modified_ = true;
    notify([index](TableListener& listener) { listener.fieldChanged(index); });
}

}  // namespace veltrop
