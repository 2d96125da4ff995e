#include "application_environment.h"

#include <gtest/gtest.h>

#include <memory>

namespace veltrop::testing {

namespace {

std::vector<RecordedBox> boxes;
std::function<void()> boxAction;

void recordBox(const QString& caption, const QString& text) {
    boxes.push_back({caption, text});
    if (boxAction) {
        boxAction();
    }
}

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<Application>(argc_, argv_, recordBox); }

    void TearDown() override {
        EXPECT_EQ(app_->escapedExceptions(), 0)
            << "an exception crossed a Qt frame instead of being reported by a handler's guard";
        app_.reset();
    }

    Application& app() { return *app_; }

private:
    int argc_ = 1;
    char name_[8] = "veltrop";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<Application> app_;
};

ApplicationEnvironment* const environment = static_cast<ApplicationEnvironment*>(
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment));

}  // namespace

Application& application() {
    return environment->app();
}

const std::vector<RecordedBox>& recordedBoxes() {
    return boxes;
}

void clearRecordedBoxes() {
    boxes.clear();
    boxAction = nullptr;
}

void whileBoxShown(std::function<void()> action) {
    boxAction = std::move(action);
}

}  // namespace veltrop::testing
