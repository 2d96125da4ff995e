#pragma once

#include <QStringList>
#include <string>

namespace veltrop {

// What the user should know about the table at start-up, one box each: the conflict copies
// a file-sync service left beside it, and an owner or mode that lets others read or
// replace it. A program started from the menu has no terminal to say it on.
QStringList startupNotices(const std::string& tableFileName);

// Shows the boxes once the message loop runs, after the main window has come up.
void tellAfterShow(const QStringList& notices);

}  // namespace veltrop
