#pragma once

#include <QApplication>
#include <QString>

#include "app/stop_box.h"
#include "platform/program_state.h"

class QSessionManager;

namespace veltrop {

class Form;

// The application object: its title from the program file, its icon, the error
// reporting of every handler, and the message loop that runs until the program
// terminates.
class Application : public QApplication {
    Q_OBJECT

public:
    Application(int& argc, char** argv, StopBox stopBox = showStopBox);

    const QString& title() const { return title_; }
    const StopBox& stopBox() const { return stopBox_; }

    // Shows the main window (unless it starts hidden) and runs the message loop until the program
    // terminates.
    void run(Form& mainForm);

    // How many exceptions reached the last net in notify(); every handler is
    // guarded, so anything above 0 is a fault.
    int escapedExceptions() const { return escapedExceptions_; }

    bool notify(QObject* receiver, QEvent* event) override;

protected:
    bool event(QEvent* event) override;

private:
    void answerSessionEnd(QSessionManager& manager);

    // What the program holds process-wide while this application lives.
    ProgramState state_;
    QString title_;
    StopBox stopBox_;
    int escapedExceptions_ = 0;
};

}  // namespace veltrop
