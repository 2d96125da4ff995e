// Another program on the table file, for tests that need a second process: it opens
// Veltrop.DB in its working directory through a cursor and obeys one command per line
// on stdin, answering each with one line, "ok ..." or "error <message>" (line breaks
// in a message written as "\n"). Its first line is "ok ready" once the table is open.
//
//   edit | insert | post | cancel | delete | refresh
//   set <FIELD> <VALUE>                 the value is the rest of the line
//   get <FIELD>                         ok <VALUE>
//   locate <FIELDS>\t<VALUE>\t...       ok found | ok not found
//   exclusive | release                 hold / drop an exclusive lock on the whole file
//   post-loop <COUNT> <TAG>             saves COUNT records, see postLoop()

#include <sqlite3.h>
#include <unistd.h>

#include <QString>
#include <QStringList>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "engine/session.h"
#include "store/credential_table.h"
#include "store/table.h"

namespace {

using veltrop::Table;

// One write per line: a kill between writes leaves no half line behind.
void writeLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        line += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    line += '\n';
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = write(STDOUT_FILENO, line.data() + written, line.size() - written);
        if (n <= 0) {
            std::exit(2);
        }
        written += static_cast<std::size_t>(n);
    }
}

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

veltrop::Field& fieldNamed(Table& table, const std::string& name) {
    return table.fieldByName(text(name));
}

// "set" names a field, which may contain a blank, then the value: the longest field
// name that starts the argument wins.
void setField(Table& table, const std::string& argument) {
    std::string name;
    for (int i = 0; i < table.fieldCount(); ++i) {
        const std::string candidate = table.field(i).name().toStdString();
        const bool matches = argument == candidate || argument.rfind(candidate + " ", 0) == 0;
        if (matches && candidate.size() > name.size()) {
            name = candidate;
        }
    }
    if (name.empty()) {
        throw std::runtime_error("no field in \"" + argument + "\"");
    }
    const std::string value = argument.size() > name.size() ? argument.substr(name.size() + 1) : "";
    fieldNamed(table, name).setAsString(text(value));
}

bool locate(Table& table, const std::string& argument) {
    QStringList parts = text(argument).split('\t');
    const QString fields = parts.takeFirst();
    return table.Locate(fields, parts);
}

// A connection of its own that keeps every other program off the file, as a program
// doing a long write would.
class ExclusiveLock {
public:
    ExclusiveLock() {
        if (sqlite3_open_v2(veltrop::credentials::kFileName, &db_, SQLITE_OPEN_READWRITE,
                            nullptr) != SQLITE_OK ||
            sqlite3_exec(db_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) {
            const std::string message = sqlite3_errmsg(db_);
            sqlite3_close(db_);
            throw std::runtime_error(message);
        }
    }
    ~ExclusiveLock() { sqlite3_close_v2(db_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    sqlite3* db_ = nullptr;
};

std::string bufferLine(const Table& table) {
    std::string line;
    for (int i = 0; i < table.fieldCount(); ++i) {
        line += (i ? "\t" : "") + table.field(i).asString().toStdString();
    }
    return line;
}

// Saves count records as fast as it can: inserts, edits of the record just saved and
// edits of the table's first record, in turn. Every save is announced before Post
// ("posting <values>") and reported once Post has returned ("saved <values>"), values
// tab-separated in field order, so whoever kills this process knows which saves must be
// in the file and which one may or may not be.
void postLoop(Table& table, int count, const std::string& tag) {
    using namespace veltrop::credentials;
    for (int i = 0; i < count; ++i) {
        const std::string id = tag + "-" + std::to_string(i);
        if (i % 2 == 0) {
            table.Insert();
            fieldNamed(table, kDescription).setAsString(text("d" + id));
        } else {
            if (i % 4 == 3) {
                table.first();
            }
            table.Edit();
        }
        fieldNamed(table, kUrl).setAsString(text("https://example.org/" + id));
        fieldNamed(table, kLoginId).setAsString(text("l" + id));
        fieldNamed(table, kPassword).setAsString(text("p" + id));
        std::string note;
        for (int line = 0; line < 24; ++line) {
            note += "note " + id + " line " + std::to_string(line) + "; ";
        }
        fieldNamed(table, kNote).setAsString(text(note));
        const std::string values = bufferLine(table);
        writeLine("posting " + values);
        table.Post();
        writeLine("saved " + values);
    }
}

class Peer {
public:
    Peer()
        : table_("Table1", session_, veltrop::credentials::kFileName,
                 veltrop::credentials::definition()) {
        table_.open();
    }

    // The answer to one command line.
    std::string run(const std::string& line) {
        const std::size_t blank = line.find(' ');
        const std::string verb = line.substr(0, blank);
        const std::string argument = blank == std::string::npos ? "" : line.substr(blank + 1);
        if (verb == "edit") {
            table_.Edit();
        } else if (verb == "insert") {
            table_.Insert();
        } else if (verb == "post") {
            table_.Post();
        } else if (verb == "cancel") {
            table_.Cancel();
        } else if (verb == "delete") {
            table_.Delete();
        } else if (verb == "refresh") {
            table_.Refresh();
        } else if (verb == "set") {
            setField(table_, argument);
        } else if (verb == "get") {
            return "ok " + fieldNamed(table_, argument).asString().toStdString();
        } else if (verb == "locate") {
            return locate(table_, argument) ? "ok found" : "ok not found";
        } else if (verb == "exclusive") {
            exclusive_ = std::make_unique<ExclusiveLock>();
        } else if (verb == "release") {
            exclusive_.reset();
        } else if (verb == "post-loop") {
            std::istringstream words(argument);
            int count = 0;
            std::string tag;
            words >> count >> tag;
            postLoop(table_, count, tag);
        } else {
            return "error unknown command \"" + verb + "\"";
        }
        return "ok";
    }

private:
    veltrop::engine::Session session_;
    Table table_;
    std::unique_ptr<ExclusiveLock> exclusive_;
};

// Runs an action, turning any failure into the "error" answer.
template <typename Action>
std::string answerOf(Action action) {
    try {
        return action();
    } catch (const std::exception& error) {
        return std::string("error ") + error.what();
    }
}

}  // namespace

int main() {
    std::unique_ptr<Peer> peer;
    const std::string greeting = answerOf([&] {
        peer = std::make_unique<Peer>();
        return std::string("ok ready");
    });
    writeLine(greeting);
    if (!peer) {
        return 1;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        writeLine(answerOf([&] { return peer->run(line); }));
    }
    return 0;
}
