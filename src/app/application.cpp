#include "app/application.h"

#include <QSessionManager>

#include <cstdio>

#include "app/error_box_reporter.h"
#include "app/program_title.h"
#include "core/guard.h"
#include "main_window/tool_bar_images.h"
#include "platform/application_window.h"
#include "platform/display_platform.h"
#include "platform/form.h"
#include "platform/modal_scope.h"
#include "platform/termination.h"

namespace veltrop {

Application::Application(int& argc, char** argv, StopBox stopBox)
    : QApplication(chooseDisplayPlatform(argc, argv), argv),
      title_(titleFromProgramFile(applicationFilePath())),
      stopBox_(std::move(stopBox)) {
    forgetDisplayPlatformChoice();
    // The program ends only by Terminate, never because its last window was hidden.
    setQuitOnLastWindowClosed(false);
    setWindowIcon(programIcon());
    state_.errorReporter = ErrorBoxReporter(title_, stopBox_);
    state_.notice = [this](const QString& text) {
        ModalScope scope;
        showNoticeBox(title_, text);
    };
    QStringList warnings;
    state_.settings = readProgramSettings(programSettingsFile(), warnings);
    for (const QString& warning : warnings) {
        std::fprintf(stderr, "%s\n", qPrintable(warning));
    }
    connect(this, &QGuiApplication::commitDataRequest, this, &Application::answerSessionEnd);
}

void Application::run(Form& mainForm) {
    if (programState().showMainFormOnRun) {
        mainForm.show();
    }
    exec();
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ++escapedExceptions_;
        reportCurrentException();
        return false;
    }
}

bool Application::event(QEvent* event) {
    if (event->type() != QEvent::Quit) {
        return QApplication::event(event);
    }
    // A quit from outside (the session ending, or a quit request) terminates the
    // program the ordinary way instead of closing its windows one by one.
    guarded([] { requestTermination(); });
    return true;
}

void Application::answerSessionEnd(QSessionManager& manager) {
    guarded([&] {
        // The session may end: nothing is cancelled. The program is not restarted with
        // the session, since its table is wherever the user started it.
        manager.setRestartHint(QSessionManager::RestartNever);
    });
}

}  // namespace veltrop
