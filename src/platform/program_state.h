#pragma once

#include <QPointer>
#include <QString>
#include <QWindow>
#include <functional>
#include <vector>

#include "core/guard.h"
#include "platform/program_settings.h"

namespace veltrop {

class Form;

// Everything the running program holds process-wide. The application owns one for
// its run; programState() reaches the newest one alive, so a test that makes its own
// starts from a clean state and leaves none behind.
class ProgramState {
public:
    ProgramState();
    ~ProgramState();
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    // The form whose closing ends the program.
    QPointer<Form> mainForm;
    // Once set, every modal loop ends and the main event loop quits.
    bool terminating = false;
    // Cleared by a program that starts hidden in the notification area.
    bool showMainFormOnRun = true;
    // Shows an error that escaped a handler. A new state keeps the one it replaces,
    // since error reporting belongs to the application, not to one run.
    ErrorReporter errorReporter;
    // Tells the user something that stops no command, in a box with an OK button
    // (nothing when unset).
    std::function<void(const QString&)> notice;

    // What the settings file asks for, read once at start.
    ProgramSettings settings;

    // How many modal scopes lower the always-on-top windows now, and the windows they
    // lowered.
    int topMostLoweringDepth = 0;
    std::vector<QPointer<QWindow>> loweredWindows;

private:
    ProgramState* previous_;
};

ProgramState& programState();

}  // namespace veltrop
