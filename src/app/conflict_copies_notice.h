#pragma once

#include <QString>
#include <string>

namespace veltrop {

// The box that tells of conflict copies a file-sync service left beside the table, or
// "" when there are none.
QString conflictCopiesText(const std::string& tableFileName);

// Shows that box once the message loop runs, after the main window has come up.
void tellOfConflictCopiesAfterShow(const std::string& tableFileName);

}  // namespace veltrop
