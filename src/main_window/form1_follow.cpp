// The main window's cursor follows the name Veltrop.DB to whatever file it leads to now.
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include "main_window/form1.h"
#include "platform/guarded_connect.h"
#include "platform/program_state.h"
#include "store/credential_table.h"

namespace veltrop {

namespace {

// Syncthing deletes the table just before it renames the new one into place; a name
// that leads nowhere for longer than this is gone.
constexpr int kGoneAfterMs = 1000;

}  // namespace

void TForm1::followTableName() {
    table1_->setNotice([](const QString& text) {
        if (programState().notice) {
            programState().notice(text);
        }
    });
    // The folder, not the file: a file put in place by rename is a new file, which a
    // watch on the old one never reports.
    tableFolderWatcher_ = new QFileSystemWatcher(QStringList{QDir::currentPath()}, this);
    connectGuarded(tableFolderWatcher_, &QFileSystemWatcher::directoryChanged, this,
                   &TForm1::TableFolderChanged);
    tableGoneTimer_ = new QTimer(this);
    tableGoneTimer_->setObjectName(QStringLiteral("TableGoneTimer"));
    tableGoneTimer_->setSingleShot(true);
    tableGoneTimer_->setInterval(kGoneAfterMs);
    connectGuarded(tableGoneTimer_, &QTimer::timeout, this, &TForm1::followWhenIdle);
}

void TForm1::TableFolderChanged() {
    if (!QFileInfo::exists(QString::fromLatin1(credentials::kFileName))) {
        tableGoneTimer_->start();
        return;
    }
    tableGoneTimer_->stop();
    followWhenIdle();
}

void TForm1::followWhenIdle() {
    // Never inside a modal loop or a box, and never during an edit: the next command
    // follows then.
    if (programState().topMostLoweringDepth > 0) {
        return;
    }
    Table1().followName();
}

}  // namespace veltrop
