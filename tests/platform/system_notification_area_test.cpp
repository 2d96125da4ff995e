#include <gtest/gtest.h>

#include <QSystemTrayIcon>
#include <vector>

#include "platform/message_window.h"
#include "platform/system_notification_area.h"

// The desktop's notification area: its bookkeeping of the one icon, and how the tray
// host's activations reach the icon's message window as mouse messages.
namespace veltrop::testing {
namespace {

using namespace window_message;

class SystemNotificationAreaTest : public ::testing::Test {
protected:
    SystemNotificationAreaTest() {
        data_.hWnd = &window_;
        QPixmap image(16, 16);
        image.fill(Qt::darkRed);
        data_.hIcon = QIcon(image);
    }

    QSystemTrayIcon* trayIcon() { return area_.findChild<QSystemTrayIcon*>(); }

    // The host activates the icon, as it does for a click of the user's.
    std::vector<unsigned> activate(QSystemTrayIcon::ActivationReason reason) {
        received_.clear();
        emit trayIcon()->activated(reason);
        return received_;
    }

    std::vector<unsigned> received_;
    std::function<void()> onMessage_;
    MessageWindow window_{[this](unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
        EXPECT_EQ(message, kIconNotify);
        EXPECT_EQ(wParam, 1u);
        received_.push_back(static_cast<unsigned>(lParam));
        if (onMessage_) {
            onMessage_();
        }
        return std::intptr_t{0};
    }};
    NotifyIconData data_;
    SystemNotificationArea area_;
};

TEST_F(SystemNotificationAreaTest, KeepsOneIconAndRefusesWhatDoesNotFitItsPresence) {
    EXPECT_FALSE(area_.notifyIcon(NotifyIconRequest::Modify, data_));
    EXPECT_FALSE(area_.notifyIcon(NotifyIconRequest::Delete, data_));
    ASSERT_TRUE(area_.notifyIcon(NotifyIconRequest::Add, data_));
    EXPECT_FALSE(area_.notifyIcon(NotifyIconRequest::Add, data_));

    data_.szTip = QStringLiteral("Veltrop ünïcode");
    ASSERT_TRUE(area_.notifyIcon(NotifyIconRequest::Modify, data_));
    EXPECT_EQ(trayIcon()->toolTip(), data_.szTip);
    EXPECT_EQ(trayIcon()->icon().cacheKey(), data_.hIcon.cacheKey());

    EXPECT_TRUE(area_.notifyIcon(NotifyIconRequest::Delete, data_));
    EXPECT_EQ(trayIcon(), nullptr);
    EXPECT_FALSE(area_.notifyIcon(NotifyIconRequest::Delete, data_));
}

// Without a StatusNotifier host (no session bus here), the tray reports a click on
// the press and the second click of a double-click on its own.
TEST_F(SystemNotificationAreaTest, ActivationsArriveAsTheMouseMessagesOfARealClick) {
    ASSERT_TRUE(area_.notifyIcon(NotifyIconRequest::Add, data_));
    EXPECT_EQ(activate(QSystemTrayIcon::Trigger),
              (std::vector<unsigned>{kLeftButtonDown, kLeftButtonUp}));
    EXPECT_EQ(activate(QSystemTrayIcon::DoubleClick),
              (std::vector<unsigned>{kLeftButtonDoubleClick, kLeftButtonUp}));
    EXPECT_EQ(activate(QSystemTrayIcon::Context),
              (std::vector<unsigned>{kRightButtonDown, kRightButtonUp}));
    EXPECT_EQ(activate(QSystemTrayIcon::MiddleClick),
              (std::vector<unsigned>{kMiddleButtonDown, kMiddleButtonUp}));
    EXPECT_TRUE(activate(QSystemTrayIcon::Unknown).empty());
}

// "Exit" from the icon's menu removes the icon while the host's activation is still
// being delivered: the rest of the click goes nowhere, and nothing is freed under it.
TEST_F(SystemNotificationAreaTest, AnIconRemovedWhileItsClickIsHandledTakesNoMoreMessages) {
    ASSERT_TRUE(area_.notifyIcon(NotifyIconRequest::Add, data_));
    onMessage_ = [this] { EXPECT_TRUE(area_.notifyIcon(NotifyIconRequest::Delete, data_)); };
    EXPECT_EQ(activate(QSystemTrayIcon::Context), std::vector<unsigned>{kRightButtonDown});
    onMessage_ = nullptr;
    EXPECT_TRUE(area_.notifyIcon(NotifyIconRequest::Add, data_));
}

}  // namespace
}  // namespace veltrop::testing
