#include "tray_fixture.h"

#include <QApplication>
#include <QColor>
#include <QPixmap>
#include <exception>

#include "core/guard.h"

namespace veltrop::testing {

namespace {

constexpr int kImageSize = 16;

}  // namespace

QIcon colourIcon(const char* colour) {
    QPixmap pixmap(kImageSize, kImageSize);
    pixmap.fill(QColor(colour));
    return QIcon(pixmap);
}

std::string colourOf(const QIcon& icon) {
    if (icon.isNull()) {
        return {};
    }
    return icon.pixmap(kImageSize).toImage().pixelColor(0, 0).name().toStdString();
}

void TrayTest::SetUp() {
    state_.errorReporter = [this](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& failure) {
            errors_.push_back(failure.what());
        } catch (...) {
            errors_.push_back("an error that is no std::exception");
        }
    };
}

void TrayTest::TearDown() {
    icon_.reset();
    EXPECT_TRUE(errors_.empty()) << "unexpected error: " << errors_.front();
}

std::unique_ptr<TTrayIcon> TrayTest::makeIcon(QObject* owner) const {
    return std::make_unique<TTrayIcon>(owner, std::make_unique<RecordingNotificationArea>(area_));
}

TTrayIcon& TrayTest::loadedIcon() {
    icon_ = makeIcon(&owner_);
    icon_->Loaded();
    return *icon_;
}

std::vector<std::string> TrayTest::takeErrors() {
    return std::exchange(errors_, {});
}

const RecordingNotificationArea::Request& TrayTest::lastRequest() const {
    if (area_->requests.empty()) {
        throw std::logic_error("the icon made no request");
    }
    return area_->requests.back();
}

}  // namespace veltrop::testing
