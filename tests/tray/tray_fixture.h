#pragma once

#include <gtest/gtest.h>

#include <QIcon>
#include <QPoint>
#include <QString>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/form.h"
#include "platform/program_state.h"
#include "support/recording_notification_area.h"
#include "tray/tray_icon.h"

// Readable values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QPoint& point, std::ostream* out) {
    *out << point.x() << ',' << point.y();
}

namespace veltrop::testing {

// One-colour images, told apart by their colour.
QIcon colourIcon(const char* colour);
// The colour an icon shows, as "#rrggbb"; empty for an icon with no image.
std::string colourOf(const QIcon& icon);

// Each test gets a fresh notification area and an owner window, and keeps every
// error that escaped a handler of the icon: one that nobody expected fails the test.
class TrayTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<TTrayIcon> makeIcon(QObject* owner) const;
    // The icon of owner_, as it is once its owner's data has been read.
    TTrayIcon& loadedIcon();

    // The messages of the errors reported since the last call.
    std::vector<std::string> takeErrors();

    const RecordingNotificationArea::Request& lastRequest() const;

    std::shared_ptr<RecordingNotificationArea::State> area_ =
        std::make_shared<RecordingNotificationArea::State>();
    ProgramState state_;
    Form owner_;
    std::unique_ptr<TTrayIcon> icon_;

private:
    std::vector<std::string> errors_;
};

}  // namespace veltrop::testing
