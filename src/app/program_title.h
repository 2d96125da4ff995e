#pragma once

#include <QString>

namespace veltrop {

// The application's title from its program file: the name without its directory
// and without everything from the first full stop, the first character in upper
// case and the rest in lower case ("/usr/bin/ABCDEF.EXE" gives "Abcdef",
// "/usr/bin/veltrop" gives "Veltrop"). File names here are case-sensitive and
// usually all lower case, where the title was meant to start with a capital.
QString titleFromProgramFile(const QString& programFilePath);

}  // namespace veltrop
