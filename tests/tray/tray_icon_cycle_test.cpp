#include <QMetaObject>
#include <QTest>
#include <stdexcept>

#include "platform/image_list.h"
#include "tray_fixture.h"

namespace veltrop::testing {
namespace {

constexpr int kTimeoutMs = 10000;
const char* const kRed = "#ff0000";
const char* const kGreen = "#00ff00";
const char* const kBlue = "#0000ff";
const char* const kYellow = "#ffff00";
const char* const kWhite = "#ffffff";

ImageList* images(std::initializer_list<const char*> colours, QObject* parent) {
    QList<QIcon> list;
    for (const char* colour : colours) {
        list.append(colourIcon(colour));
    }
    return new ImageList(list, parent);
}

class TrayCycleTest : public TrayTest {
protected:
    void SetUp() override {
        TrayTest::SetUp();
        loadedIcon();
    }

    // One tick of the cycle timer, whether or not it is running.
    void tick() {
        EXPECT_TRUE(QMetaObject::invokeMethod(const_cast<QTimer*>(&icon_->CycleTimer()), "timeout",
                                              Qt::DirectConnection));
    }

    void expectShown(int index, const std::string& colour) {
        EXPECT_EQ(icon_->IconIndex(), index);
        EXPECT_EQ(colourOf(icon_->Icon()), colour);
        EXPECT_EQ(colourOf(area_->shown.hIcon), colour);
        EXPECT_EQ(lastRequest().request, NotifyIconRequest::Modify);
        EXPECT_TRUE(lastRequest().accepted);
    }

    QObject lists_;
};

TEST_F(TrayCycleTest, IconIndexIsKeptWithinTheListAndShowsItsImage) {
    struct Row {
        const char* name;
        ImageList* list;
        int written;
        int index;
        const char* colour;
    };
    ImageList* four = images({kRed, kGreen, kBlue, kYellow}, &lists_);
    ImageList* empty = images({}, &lists_);
    const Row rows[] = {
        {"past the end", four, 10, 3, kYellow},
        {"one past the end", four, 4, 3, kYellow},
        {"last", four, 3, 3, kYellow},
        {"inside", four, 1, 1, kGreen},
        {"negative", four, -2, -2, ""},
        {"empty list", empty, 0, -1, ""},
        {"empty list, past the end", empty, 5, -1, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        icon_->setIconList(row.list);
        icon_->setIconIndex(row.written);
        expectShown(row.index, row.colour);
    }
}

TEST_F(TrayCycleTest, WithoutAListIconIndexStaysZeroAndTheIconStays) {
    icon_->setIcon(colourIcon(kWhite));
    icon_->setIconIndex(7);
    expectShown(0, kWhite);
}

TEST_F(TrayCycleTest, AssigningAListSelectsItsFirstImage) {
    icon_->setIconList(images({kRed, kGreen, kBlue}, &lists_));
    icon_->setIconIndex(2);
    expectShown(2, kBlue);
    icon_->setIconList(images({kYellow, kRed}, &lists_));
    expectShown(0, kYellow);
    icon_->setIconList(nullptr);
    expectShown(0, kYellow);
}

TEST_F(TrayCycleTest, ADeletedListIsForgottenAndNoLongerCycled) {
    ImageList* list = images({kRed, kGreen, kBlue}, &lists_);
    icon_->setIconList(list);
    icon_->setIconIndex(2);
    std::vector<int> cycled;
    icon_->setOnCycle([&](TTrayIcon&, int next) { cycled.push_back(next); });

    delete list;

    EXPECT_EQ(icon_->IconList(), nullptr);
    expectShown(0, kBlue);
    const size_t requests = area_->requests.size();
    tick();
    EXPECT_TRUE(cycled.empty());
    EXPECT_EQ(area_->requests.size(), requests);
}

TEST_F(TrayCycleTest, EachTickShowsTheNextImageAndWrapsAround) {
    icon_->setIconList(images({kRed, kGreen, kBlue}, &lists_));
    icon_->setIconIndex(2);
    icon_->setCycleIcons(true);
    ASSERT_EQ(icon_->IconIndex(), 0) << "turning cycling on starts at the first image";

    std::vector<std::string> seen;
    icon_->setOnCycle([&](TTrayIcon& sender, int next) {
        seen.push_back("next " + std::to_string(next) + " while " + colourOf(sender.Icon()));
    });
    const char* const shownAfter[] = {kGreen, kBlue, kRed, kGreen};
    const int indexAfter[] = {1, 2, 0, 1};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        tick();
        expectShown(indexAfter[i], shownAfter[i]);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"next 1 while #ff0000", "next 2 while #00ff00",
                                              "next 0 while #0000ff", "next 1 while #ff0000"}));
}

TEST_F(TrayCycleTest, TheTimerRunsOnlyWhileCyclingWithAnInterval) {
    struct Step {
        const char* name;
        std::optional<bool> cycle;
        std::optional<std::uint32_t> interval;
        bool running;
    };
    const Step steps[] = {
        {"interval alone", std::nullopt, 50, false},
        {"cycling with it", true, std::nullopt, true},
        {"interval 0", std::nullopt, 0, false},
        {"an interval again", std::nullopt, 1000, true},
        {"cycling off", false, std::nullopt, false},
        {"cycling with interval 0", true, 0, false},
        {"the longest interval", std::nullopt, 0xFFFFFFFF, true},
    };
    icon_->setIconList(images({kRed, kGreen}, &lists_));
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.cycle) {
            icon_->setCycleIcons(*step.cycle);
        }
        if (step.interval) {
            icon_->setCycleInterval(*step.interval);
        }
        EXPECT_EQ(icon_->CycleTimer().isActive(), step.running);
        if (step.running) {
            EXPECT_GT(icon_->CycleTimer().interval(), 0);
        }
    }
    EXPECT_EQ(icon_->CycleInterval(), 0xFFFFFFFFu);
    EXPECT_TRUE(icon_->CycleIcons());
}

TEST_F(TrayCycleTest, TheRunningTimerCyclesUntilCyclingStops) {
    icon_->setIconList(images({kRed, kGreen, kBlue}, &lists_));
    std::vector<int> cycled;
    icon_->setOnCycle([&](TTrayIcon&, int next) { cycled.push_back(next); });
    icon_->setCycleInterval(1);
    icon_->setCycleIcons(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return cycled.size() >= 3; }, kTimeoutMs));
    icon_->setCycleIcons(false);
    EXPECT_FALSE(icon_->CycleTimer().isActive());
    ASSERT_GE(cycled.size(), 3u);
    EXPECT_EQ(std::vector<int>(cycled.begin(), cycled.begin() + 3), (std::vector<int>{1, 2, 0}));
}

TEST_F(TrayCycleTest, AnErrorInOnCycleIsReportedInsteadOfLeavingTheTimer) {
    icon_->setIconList(images({kRed, kGreen}, &lists_));
    icon_->setOnCycle([](TTrayIcon& sender, int) {
        sender.setCycleIcons(false);
        throw std::runtime_error("cycle failed");
    });
    icon_->setCycleInterval(1);
    icon_->setCycleIcons(true);
    std::vector<std::string> errors;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            errors = takeErrors();
            return !errors.empty();
        },
        kTimeoutMs));
    EXPECT_EQ(errors, std::vector<std::string>{"cycle failed"});
}

}  // namespace
}  // namespace veltrop::testing
