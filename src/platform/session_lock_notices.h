#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

namespace veltrop {

// Tells when the desktop session locks its screen or the machine is about to sleep:
// ActiveChanged of the screen savers of freedesktop, GNOME and Xfce on the session bus;
// logind's Lock of our session and PrepareForSleep on the system bus. Holds logind's
// sleep delay, so that whoever answers lockRequested does so before the machine
// sleeps. Every bus call is asynchronous; without a bus nothing is asked.
class SessionLockNotices : public QObject {
    Q_OBJECT

public:
    explicit SessionLockNotices(QObject* parent = nullptr);

    void start();
    // The screen is locked, or the machine goes to sleep, now.
    bool active() const { return screenLocked_ || sleeping_; }

signals:
    // Answered synchronously: after it, the machine may sleep.
    void lockRequested();

private slots:
    void screenSaverActiveChanged(bool active);
    void sessionLocked();
    void sessionUnlocked();
    void prepareForSleep(bool sleeping);

private:
    void watchScreenSavers();
    void watchLogind();
    void watchOwnSession(const QString& path);
    void takeSleepDelay();
    void setScreenLocked(bool locked);

    bool screenLocked_ = false;
    bool sleeping_ = false;
    QDBusUnixFileDescriptor sleepDelay_;
};

}  // namespace veltrop
