#pragma once

#include <QString>
#include <QStringList>

namespace veltrop {

// The few settings of $XDG_CONFIG_HOME/veltrop/veltrop.conf; without the file, these
// defaults hold.
struct ProgramSettings {
    // How long a copied login name or password stays on the clipboard; 0 keeps it.
    int clipboardClearSeconds = 30;
    // Whether a protected table locks when the screen locks or the machine sleeps.
    bool lockOnScreenLock = true;
    // Locks a protected table after this long without input; 0 never does.
    int lockAfterIdleMinutes = 0;
};

// Where the settings file is, under the user's configuration folder.
QString programSettingsFile();

// Reads the file's settings. A value that is malformed keeps its default, with a line
// naming the key added to warnings.
ProgramSettings readProgramSettings(const QString& fileName, QStringList& warnings);

}  // namespace veltrop
