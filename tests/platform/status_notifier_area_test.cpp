#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QMenu>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTimer>
#include <vector>

#include "platform/message_window.h"
#include "platform/status_notifier_host.h"
#include "platform/system_notification_area.h"

// The notification area on a desktop whose host speaks StatusNotifier: a private
// session bus on which this test plays the host's watcher.
namespace veltrop::testing {
namespace {

using namespace window_message;

class StatusNotifierWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isStatusNotifierHostRegistered)

public:
    bool isStatusNotifierHostRegistered() const { return true; }

public slots:
    void RegisterStatusNotifierItem(const QString&) {}
};

class StatusNotifierAreaTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        bus_ = new QProcess;
        bus_->start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--session"), QStringLiteral("--nofork"),
                     QStringLiteral("--print-address=1")});
        ASSERT_TRUE(bus_->waitForReadyRead(60000)) << "dbus-daemon did not start";
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus_->readLine().trimmed());
    }
    static void TearDownTestSuite() {
        bus_->kill();
        bus_->waitForFinished();
        delete bus_;
    }

    void SetUp() override {
        QDBusConnection session = QDBusConnection::sessionBus();
        ASSERT_TRUE(session.isConnected());
        ASSERT_TRUE(session.registerService(kWatcher));
        ASSERT_TRUE(session.registerObject(
            QStringLiteral("/StatusNotifierWatcher"), &watcher_,
            QDBusConnection::ExportAllProperties | QDBusConnection::ExportAllSlots));
        data_.hWnd = &window_;
        QPixmap image(16, 16);
        image.fill(Qt::darkBlue);
        data_.hIcon = QIcon(image);
    }
    void TearDown() override {
        QDBusConnection session = QDBusConnection::sessionBus();
        session.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
        session.unregisterService(kWatcher);
    }

    static inline const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    static inline QProcess* bus_ = nullptr;
    StatusNotifierWatcher watcher_;
    std::vector<unsigned> received_;
    MessageWindow window_{[this](unsigned, std::uintptr_t, std::intptr_t lParam) {
        received_.push_back(static_cast<unsigned>(lParam));
        return std::intptr_t{0};
    }};
    NotifyIconData data_;
};

TEST_F(StatusNotifierAreaTest, TheHostDrawsTheMenuAndAClickIsTheIconsMainAction) {
    ASSERT_TRUE(statusNotifierHostRunning());
    SystemNotificationArea area;
    QMenu menu;
    area.setHostMenu(&menu);
    ASSERT_TRUE(area.notifyIcon(NotifyIconRequest::Add, data_));
    auto* icon = area.findChild<QSystemTrayIcon*>();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->contextMenu(), &menu);

    // Such hosts never report a double-click, so a click must restore the window.
    emit icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(received_, (std::vector<unsigned>{kLeftButtonDown, kLeftButtonUp,
                                                kLeftButtonDoubleClick, kLeftButtonUp}));

    // The host has shown the menu itself: it is not opened a second time.
    bool opened = false;
    QTimer::singleShot(0, &menu, [&] {
        opened = menu.isVisible();
        menu.close();
    });
    area.popupMenu(menu, QPoint(10, 10));
    EXPECT_FALSE(opened);
    EXPECT_FALSE(menu.isVisible());

    area.setHostMenu(nullptr);
    EXPECT_EQ(icon->contextMenu(), nullptr);
}

TEST_F(StatusNotifierAreaTest, WithoutAWatcherOnTheBusThereIsNoHost) {
    QDBusConnection::sessionBus().unregisterService(kWatcher);
    EXPECT_FALSE(statusNotifierHostRunning());
}

}  // namespace
}  // namespace veltrop::testing

#include "status_notifier_area_test.moc"
