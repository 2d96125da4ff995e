// The main window's cursor follows the name Veltrop.DB to whatever file it leads to now.
#include <QDir>

#include "main_window/form1.h"
#include "platform/guarded_connect.h"
#include "platform/program_state.h"

namespace veltrop {

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
}

void TForm1::TableFolderChanged() {
    // Never inside a modal loop or a box, and never during an edit: the next command
    // follows then.
    if (programState().topMostLoweringDepth > 0) {
        return;
    }
    Table1().followName();
}

}  // namespace veltrop
