#include "platform/session_lock_notices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace veltrop {

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kLogindSession = QStringLiteral("org.freedesktop.login1.Session");

// Any sender and any path: naming the sender would make Qt look up its owner with a
// blocking call. A stray signal can do no more than lock the table.
constexpr const char* kScreenSavers[] = {
    "org.freedesktop.ScreenSaver",
    "org.gnome.ScreenSaver",
    "org.xfce.ScreenSaver",
};

// Calls the method and hands its reply to done, when it comes.
template <typename Reply, typename Done>
void callLogind(QObject* context, QDBusMessage call, Done done) {
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(call), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [done](QDBusPendingCallWatcher* finished) {
                         const QDBusPendingReply<Reply> reply = *finished;
                         if (!reply.isError()) {
                             done(reply.value());
                         }
                         finished->deleteLater();
                     });
}

}  // namespace

SessionLockNotices::SessionLockNotices(QObject* parent) : QObject(parent) {}

void SessionLockNotices::start() {
    watchScreenSavers();
    watchLogind();
}

void SessionLockNotices::watchScreenSavers() {
    // Without an address, asking for the session bus would try to start one.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    for (const char* screenSaver : kScreenSavers) {
        bus.connect(QString(), QString(), QString::fromLatin1(screenSaver),
                    QStringLiteral("ActiveChanged"), this, SLOT(screenSaverActiveChanged(bool)));
    }
}

void SessionLockNotices::watchLogind() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return;
    }
    bus.connect(QString(), kLogindPath, kLogindManager, QStringLiteral("PrepareForSleep"), this,
                SLOT(prepareForSleep(bool)));
    QDBusMessage ownSession =
        QDBusMessage::createMethodCall(kLogind, kLogindPath, kLogindManager, "GetSession");
    ownSession << qEnvironmentVariable("XDG_SESSION_ID", QStringLiteral("auto"));
    callLogind<QDBusObjectPath>(
        this, ownSession, [this](const QDBusObjectPath& path) { watchOwnSession(path.path()); });
    takeSleepDelay();
}

void SessionLockNotices::watchOwnSession(const QString& path) {
    QDBusConnection bus = QDBusConnection::systemBus();
    bus.connect(QString(), path, kLogindSession, QStringLiteral("Lock"), this,
                SLOT(sessionLocked()));
    bus.connect(QString(), path, kLogindSession, QStringLiteral("Unlock"), this,
                SLOT(sessionUnlocked()));
}

void SessionLockNotices::takeSleepDelay() {
    QDBusMessage inhibit =
        QDBusMessage::createMethodCall(kLogind, kLogindPath, kLogindManager, "Inhibit");
    inhibit << QStringLiteral("sleep") << QStringLiteral("Veltrop")
            << QStringLiteral("Closing the protected table") << QStringLiteral("delay");
    callLogind<QDBusUnixFileDescriptor>(
        this, inhibit, [this](const QDBusUnixFileDescriptor& delay) { sleepDelay_ = delay; });
}

void SessionLockNotices::setScreenLocked(bool locked) {
    screenLocked_ = locked;
    if (locked) {
        emit lockRequested();
    }
}

void SessionLockNotices::screenSaverActiveChanged(bool active) {
    setScreenLocked(active);
}

void SessionLockNotices::sessionLocked() {
    setScreenLocked(true);
}

void SessionLockNotices::sessionUnlocked() {
    setScreenLocked(false);
}

void SessionLockNotices::prepareForSleep(bool sleeping) {
    sleeping_ = sleeping;
    if (sleeping) {
        emit lockRequested();
        // Closing the descriptor lets logind go on.
        sleepDelay_ = QDBusUnixFileDescriptor();
    } else {
        takeSleepDelay();
    }
}

}  // namespace veltrop
