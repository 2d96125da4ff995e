#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/session.h"
#include "engine/table_definition.h"
#include "engine/table_file.h"
#include "store/field.h"
#include "store/record_lock.h"
#include "store/table_state.h"

namespace veltrop {

class TableListener;

struct LocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false;
};

// A cursor on a table file: a current position, a copy of the current record (the
// record buffer), a state and a modified flag. Every change to the table goes
// through Edit/Insert, then Post or Cancel.
class Table {
public:
    // Asked when the table is protected and no listed password fits; true to try again.
    using PasswordPrompt = std::function<bool()>;
    using BeforePostHook = std::function<void(Table&)>;
    // Tells the user something that stops nothing (a box with an OK button).
    using Notice = std::function<void(const QString&)>;

    Table(QString componentName, engine::Session& session, std::string fileName,
          engine::TableDefinition definition);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const QString& name() const { return name_; }
    void setPasswordPrompt(PasswordPrompt prompt) { passwordPrompt_ = std::move(prompt); }
    void setBeforePost(BeforePostHook hook) { beforePost_ = std::move(hook); }
    void setNotice(Notice notice) { notice_ = std::move(notice); }
    void addListener(TableListener* listener);
    void removeListener(TableListener* listener);

    void open();
    void close();
    // The current record, to come back to once the cursor is open again.
    std::optional<engine::RecordNumber> currentRecord() const { return current_; }
    // Opens the cursor on the record, or on its nearest neighbour when it is gone.
    void openAt(std::optional<engine::RecordNumber> record);

    TableState state() const { return state_; }
    bool active() const { return state_ != TableState::Inactive; }
    bool modified() const { return modified_; }
    bool readOnly() const;
    // No current record: the table is empty (or the cursor is closed).
    bool isEmpty() const;

    void Edit();
    void Insert();
    void Post();
    void Cancel();
    void Delete();
    bool Locate(const QString& keyFields, const QStringList& values, LocateOptions options = {});
    void Refresh();

    // Follows the name to the file it leads to now, when something (a sync service, a
    // restore) has put another file in its place; Edit, Insert, Post, Delete, Locate
    // and Refresh do it first. Asks no password: a table that needs one is left to the
    // next command. Does nothing outside browse state.
    void followName();

    // Moving through the table in its natural order; each settles first.
    void first();
    void next();
    bool eof() const { return eof_; }

    int fieldCount() const { return static_cast<int>(fields_.size()); }
    Field& field(int index) { return *fields_.at(index); }
    const Field& field(int index) const { return *fields_.at(index); }
    Field* findField(const QString& name);
    Field& fieldByName(const QString& name);

    // The fields as the open file defines them (as declared while closed).
    const engine::TableDefinition& definition() const;

private:
    friend class Field;
    // Pages through the file itself; nothing above the store sees the engine.
    friend class RowWindow;
    engine::TableFile& file();
    struct Value {
        std::string stored;  // bytes as read from the file
        QString text;        // what the field shows
        bool assigned = false;
    };

    void settle();
    // mayAsk: a protected file whose password is not listed may be asked for.
    void follow(bool mayAsk);
    std::unique_ptr<engine::TableFile> openFollowed(bool mayAsk);
    void switchTo(std::unique_ptr<engine::TableFile> file);
    void sayOnce(const std::string& target, const QString& text);
    // Where the record that was shown stands in the current file.
    std::optional<engine::RecordNumber> findAgain(std::optional<engine::RecordNumber> number,
                                                  const engine::RawRecord& values);
    void postOrphanedEdit();
    void requireActive() const;
    void requireWritable() const;
    void fail(const char* message) const;
    std::unique_ptr<engine::TableFile> openFile(bool mayAsk = true);
    void checkStructure(const engine::TableDefinition& found) const;
    void enterState(TableState state);
    // Makes the record current; false when it is no longer in the table.
    bool load(std::optional<engine::RecordNumber> number);
    // Puts the record in the buffer and, when asked, tells the listeners.
    void show(std::optional<engine::RecordNumber> number, std::optional<engine::RawRecord> record,
              bool tell = true);
    void reposition(std::optional<engine::RecordNumber> around);
    void clearBuffer();
    void writePendingText();
    void postEdit();
    void postInsert();
    [[noreturn]] void failRecordGone(engine::RecordNumber number) const;
    QString valueText(int index) const;
    void assign(int index, const QString& text);

    template <typename Notify>
    void notify(Notify notifyOne);

    QString name_;
    engine::Session& session_;
    std::string fileName_;
    engine::TableDefinition declared_;
    std::unique_ptr<engine::TableFile> file_;
    // The current record's lock while in edit state; declared after file_ to go first.
    RecordLock editLock_;
    std::vector<std::unique_ptr<Field>> fields_;
    std::vector<TableListener*> listeners_;
    PasswordPrompt passwordPrompt_;
    BeforePostHook beforePost_;
    Notice notice_;

    TableState state_ = TableState::Inactive;
    bool modified_ = false;
    bool eof_ = true;
    // The record the cursor stands on; kept during an insert, so Cancel can return to it.
    std::optional<engine::RecordNumber> current_;
    std::vector<Value> buffer_;
    // The current record as last read, and as read when the edit began: what tells it
    // apart in a file that another machine wrote.
    engine::RawRecord shown_;
    engine::RawRecord editBase_;
    // The edited record is no longer in the file that the name now leads to.
    bool editOrphaned_ = false;
    // The last file the name led to that could not be followed, told once.
    std::string refusedTarget_;
};

}  // namespace veltrop
