#include "platform/band_bar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>

#include "platform/band_row.h"

namespace veltrop {
namespace {

constexpr int kBarWidth = 600;

// A window holding a bar of three bands: "One " and "Two " on the first row, "Three "
// alone on the second.
class BandBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window_);
        layout->setContentsMargins(0, 0, 0, 0);
        bar_ = new BandBar;
        layout->addWidget(bar_);
        layout->addStretch();
        one_ = editor();
        two_ = editor();
        three_ = editor();
        bar_->addBand("One ", one_, 200, 44, false);
        bar_->addBand("Two ", two_, 150, 0, false);
        bar_->addBand("Three ", three_, 250, 0, true);
        window_.resize(kBarWidth, 200);
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }

    static QLineEdit* editor() {
        auto* edit = new QLineEdit;
        edit->setFixedHeight(25);
        return edit;
    }

    QPoint headerCentre(QWidget* control) const {
        return bar_->headerRect(bar_->bandOf(control)).center();
    }

    // The handle between a band and the next one in its row.
    QPoint edgeAfter(QWidget* control) const {
        const QRect rect = bar_->bandRect(bar_->bandOf(control));
        return {rect.right() - 1, rect.center().y()};
    }

    // Presses, starts off towards the target, jumps there and lets go.
    void drag(QPoint from, QPoint to) {
        QTest::mousePress(bar_, Qt::LeftButton, {}, from);
        QTest::mouseMove(bar_, from + (to - from) / 20);
        QTest::mouseMove(bar_, to);
        QTest::mouseRelease(bar_, Qt::LeftButton, {}, to);
    }

    int shownWidth(QWidget* control) const { return bar_->bandRect(bar_->bandOf(control)).width(); }

    // A band at its narrowest keeps its grip and caption and squeezes its control to nothing.
    void expectNarrowest(QWidget* control) const {
        EXPECT_EQ(control->width(), 0);
        EXPECT_GT(shownWidth(control), bar_->headerRect(bar_->bandOf(control)).width());
    }

    QWidget window_;
    BandBar* bar_ = nullptr;
    QLineEdit* one_ = nullptr;
    QLineEdit* two_ = nullptr;
    QLineEdit* three_ = nullptr;
};

TEST_F(BandBarTest, BandsStandInRowsByTheirNewRowFlags) {
    ASSERT_EQ(bar_->bandCount(), 3);
    EXPECT_EQ(bar_->rowCount(), 2);
    EXPECT_EQ(bar_->control(0), one_);
    EXPECT_EQ(bar_->control(1), two_);
    EXPECT_EQ(bar_->control(2), three_);
    EXPECT_EQ(bar_->rowOf(0), 0);
    EXPECT_EQ(bar_->rowOf(1), 0);
    EXPECT_EQ(bar_->rowOf(2), 1);
    EXPECT_EQ(bar_->caption(2), "Three ");
    EXPECT_EQ(bar_->bandOf(&window_), -1);
}

TEST_F(BandBarTest, BarIsAsHighAsItsRowsAndAsWideAsItsWindow) {
    // The first row is as high as its tallest band's minimum, the second as its editor.
    EXPECT_EQ(bar_->bandRect(0).height(), 44);
    EXPECT_EQ(bar_->bandRect(1).height(), 44);
    EXPECT_EQ(bar_->bandRect(2).height(), 25);
    EXPECT_EQ(bar_->height(), 44 + 2 + 25);
    EXPECT_EQ(bar_->width(), kBarWidth);
    EXPECT_EQ(bar_->geometry().topLeft(), QPoint(0, 0));
}

TEST_F(BandBarTest, LastBandOfEachRowTakesWhatTheRowHasLeft) {
    EXPECT_EQ(shownWidth(one_), 200);
    EXPECT_EQ(shownWidth(two_), kBarWidth - 200);
    EXPECT_EQ(shownWidth(three_), kBarWidth);
    EXPECT_EQ(bar_->bandWidth(1), 150);

    window_.resize(kBarWidth + 100, 200);
    QApplication::processEvents();
    EXPECT_EQ(shownWidth(one_), 200);
    EXPECT_EQ(shownWidth(two_), kBarWidth + 100 - 200);
}

TEST_F(BandBarTest, TooNarrowARowShrinksItsBandsFromTheRight) {
    window_.resize(220, 200);
    QApplication::processEvents();
    expectNarrowest(two_);
    EXPECT_EQ(shownWidth(one_), 220 - shownWidth(two_));
    EXPECT_GT(one_->width(), 0);
}

TEST_F(BandBarTest, ControlStandsRightOfTheCaptionAndFillsTheBandsHeight) {
    const QFontMetrics metrics = bar_->fontMetrics();
    for (QLineEdit* control : {one_, two_, three_}) {
        const int band = bar_->bandOf(control);
        const QRect header = bar_->headerRect(band);
        // The caption's trailing blank is part of what the header leaves room for.
        EXPECT_GT(header.width(), metrics.horizontalAdvance(bar_->caption(band).trimmed()));
        EXPECT_GE(header.width(), metrics.horizontalAdvance(bar_->caption(band)));
        EXPECT_EQ(control->x(), header.right() + 1);
        EXPECT_LT(control->geometry().right(), bar_->bandRect(band).right());
        EXPECT_EQ(control->y(), bar_->bandRect(band).y());
        EXPECT_EQ(control->height(), 25);
        EXPECT_TRUE(control->isVisible());
    }
}

TEST_F(BandBarTest, ClickOnACaptionMaximisesThatBandInItsRow) {
    QTest::mouseClick(bar_, Qt::LeftButton, {}, headerCentre(one_));
    expectNarrowest(two_);
    EXPECT_EQ(shownWidth(one_), kBarWidth - shownWidth(two_));
    EXPECT_EQ(bar_->rowCount(), 2);

    QTest::mouseClick(bar_, Qt::LeftButton, {}, headerCentre(two_));
    expectNarrowest(one_);
    EXPECT_EQ(shownWidth(two_), kBarWidth - shownWidth(one_));
}

TEST_F(BandBarTest, ClickOutsideEveryHeaderChangesNothing) {
    const QRect gap(0, bar_->bandRect(2).top() - 2, kBarWidth, 2);
    QTest::mouseClick(bar_, Qt::LeftButton, {}, gap.center());
    QTest::mouseClick(bar_, Qt::RightButton, {}, headerCentre(one_));
    EXPECT_EQ(shownWidth(one_), 200);
    EXPECT_EQ(bar_->rowCount(), 2);
}

TEST_F(BandBarTest, DraggingTheEdgeBetweenBandsResizesBoth) {
    const int controlWidth = one_->width();
    drag(edgeAfter(one_), edgeAfter(one_) - QPoint(50, 0));
    EXPECT_EQ(shownWidth(one_), 150);
    EXPECT_EQ(shownWidth(two_), kBarWidth - 150);
    EXPECT_EQ(one_->width(), controlWidth - 50);
    EXPECT_EQ(two_->x(), 150 + bar_->headerRect(1).width());

    drag(edgeAfter(one_), edgeAfter(one_) + QPoint(120, 0));
    EXPECT_EQ(shownWidth(one_), 270);
    EXPECT_EQ(shownWidth(two_), kBarWidth - 270);
    EXPECT_EQ(bar_->rowCount(), 2);
}

TEST_F(BandBarTest, AnEdgeStopsWhereABandWouldBecomeNarrowerThanItsHeader) {
    drag(edgeAfter(one_), QPoint(-200, edgeAfter(one_).y()));
    expectNarrowest(one_);
    drag(edgeAfter(one_), QPoint(kBarWidth + 200, edgeAfter(one_).y()));
    expectNarrowest(two_);
    EXPECT_EQ(shownWidth(one_) + shownWidth(two_), kBarWidth);
}

TEST_F(BandBarTest, DraggingACaptionSidewaysMovesTheBandsLeftEdge) {
    drag(headerCentre(two_), headerCentre(two_) - QPoint(40, 0));
    EXPECT_EQ(shownWidth(one_), 160);
    EXPECT_EQ(bar_->bandRect(1).left(), 160);
    // The first band of a row has no edge on its left to move.
    drag(headerCentre(one_), headerCentre(one_) + QPoint(40, 0));
    EXPECT_EQ(bar_->bandRect(0).left(), 0);
    EXPECT_EQ(shownWidth(one_), 160);
}

TEST_F(BandBarTest, DraggingACaptionToAnotherRowMovesTheBandThere) {
    const QPoint target(bar_->bandRect(1).right() - 10, bar_->bandRect(1).center().y());
    drag(headerCentre(three_), target);
    ASSERT_EQ(bar_->rowCount(), 1);
    EXPECT_EQ(bar_->control(2), three_);
    EXPECT_EQ(bar_->rowOf(2), 0);
    EXPECT_EQ(bar_->height(), 44);
    EXPECT_EQ(three_->y(), 0);
    EXPECT_EQ(shownWidth(one_) + shownWidth(two_) + shownWidth(three_), kBarWidth);
}

TEST_F(BandBarTest, ABandDroppedLeftOfAnotherStandsBeforeIt) {
    drag(headerCentre(three_), QPoint(5, bar_->bandRect(0).center().y()));
    ASSERT_EQ(bar_->rowCount(), 1);
    EXPECT_EQ(bar_->control(0), three_);
    EXPECT_EQ(bar_->control(1), one_);
    EXPECT_EQ(bar_->control(2), two_);
}

TEST_F(BandBarTest, DraggingBelowTheBarOpensANewRow) {
    drag(headerCentre(two_), QPoint(50, bar_->height() + 20));
    ASSERT_EQ(bar_->rowCount(), 3);
    EXPECT_EQ(bar_->control(2), two_);
    EXPECT_EQ(bar_->rowOf(2), 2);
    EXPECT_EQ(shownWidth(one_), kBarWidth);
    EXPECT_EQ(bar_->height(), 44 + 2 + 25 + 2 + 25);
    EXPECT_EQ(two_->y(), 44 + 2 + 25 + 2);
}

TEST_F(BandBarTest, DraggingAboveTheBarOpensANewFirstRow) {
    drag(headerCentre(two_), QPoint(50, -10));
    ASSERT_EQ(bar_->rowCount(), 3);
    EXPECT_EQ(bar_->control(0), two_);
    EXPECT_EQ(bar_->control(1), one_);
    EXPECT_EQ(bar_->rowOf(1), 1);
    EXPECT_EQ(bar_->bandRect(0).height(), 25);
    EXPECT_EQ(bar_->bandRect(1).top(), 25 + 2);
    EXPECT_EQ(one_->y(), 25 + 2);
}

TEST_F(BandBarTest, ABandAloneInAnOuterRowStaysWhenDraggedPastTheBarsSide) {
    drag(headerCentre(three_), QPoint(50, bar_->height() + 20));
    drag(headerCentre(two_), QPoint(50, -10));
    drag(headerCentre(two_), QPoint(50, -10));
    ASSERT_EQ(bar_->rowCount(), 3);
    EXPECT_EQ(bar_->control(0), two_);
    EXPECT_EQ(bar_->control(1), one_);
    EXPECT_EQ(bar_->control(2), three_);
    EXPECT_EQ(bar_->rowOf(2), 2);
}

TEST_F(BandBarTest, RightClickShowsTheAttachedMenuOnTheBarAndOnControlsWithoutOne) {
    QMenu menu;
    menu.addAction("Item");
    auto* label = new QLabel("label");
    label->setFixedHeight(25);
    bar_->addBand("Four ", label, 100, 0, true);
    bar_->setContextMenu(&menu);
    EXPECT_EQ(bar_->contextMenu(), &menu);

    QContextMenuEvent onHeader(QContextMenuEvent::Mouse, headerCentre(one_),
                               bar_->mapToGlobal(headerCentre(one_)));
    QApplication::sendEvent(bar_, &onHeader);
    EXPECT_TRUE(onHeader.isAccepted());
    EXPECT_TRUE(menu.isVisible());
    menu.hide();

    QContextMenuEvent onLabel(QContextMenuEvent::Mouse, {2, 2}, label->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(label, &onLabel);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}

TEST_F(BandBarTest, WithoutAMenuARightClickIsLeftToTheWindow) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, headerCentre(one_),
                            bar_->mapToGlobal(headerCentre(one_)));
    QApplication::sendEvent(bar_, &event);
    EXPECT_FALSE(event.isAccepted());
}

TEST_F(BandBarTest, ABandWithoutCaptionIsDraggedByItsGrip) {
    auto* bare = editor();
    bar_->addBand(QString(), bare, 100, 0, true);
    const int band = bar_->bandOf(bare);
    EXPECT_GT(bar_->headerRect(band).width(), 0);
    EXPECT_EQ(bare->x(), bar_->headerRect(band).width());
    drag(headerCentre(bare), QPoint(kBarWidth - 5, bar_->bandRect(0).center().y()));
    EXPECT_EQ(bar_->rowOf(bar_->bandOf(bare)), 0);
    EXPECT_EQ(bar_->rowCount(), 2);
}

TEST_F(BandBarTest, AControlTallerThanTheBandsMinimumSetsTheRowHeight) {
    auto* tall = new QLineEdit;
    tall->setFixedHeight(40);
    bar_->addBand("Tall ", tall, 100, 25, false);
    EXPECT_EQ(bar_->bandRect(bar_->bandOf(three_)).height(), 40);
    EXPECT_EQ(bar_->height(), 44 + 2 + 40);
}

TEST(BandRowTest, FitGivesTheLastBandTheRest) {
    EXPECT_EQ(band_row::fit({100, 50}, {10, 10}, 300), (std::vector<int>{100, 200}));
    EXPECT_EQ(band_row::fit({100}, {10}, 300), (std::vector<int>{300}));
    EXPECT_TRUE(band_row::fit({}, {}, 300).empty());
}

TEST(BandRowTest, FitNeverGoesBelowAMinimum) {
    // Too long: the bands give way from the right, each down to its minimum at most.
    EXPECT_EQ(band_row::fit({100, 100, 100}, {20, 30, 40}, 200), (std::vector<int>{100, 60, 40}));
    EXPECT_EQ(band_row::fit({100, 100, 100}, {20, 30, 40}, 50), (std::vector<int>{20, 30, 40}));
    EXPECT_EQ(band_row::fit({5, 100}, {20, 10}, 300), (std::vector<int>{20, 280}));
}

TEST(BandRowTest, MoveEdgeKeepsThePairsSumAndBothMinimums) {
    EXPECT_EQ(band_row::moveEdge({100, 100, 100}, {10, 10, 10}, 300, 0, 30),
              (std::vector<int>{130, 70, 100}));
    EXPECT_EQ(band_row::moveEdge({100, 100, 100}, {10, 10, 10}, 300, 1, -500),
              (std::vector<int>{100, 10, 190}));
    EXPECT_EQ(band_row::moveEdge({100, 100, 100}, {10, 10, 10}, 300, 1, 500),
              (std::vector<int>{100, 190, 10}));
    // The last band has no edge of its own to move.
    EXPECT_EQ(band_row::moveEdge({100, 100}, {10, 10}, 300, 1, 30), (std::vector<int>{100, 200}));
}

TEST(BandRowTest, MaximizeShrinksTheOthersToTheirMinimums) {
    EXPECT_EQ(band_row::maximize({10, 20, 30}, 300, 1), (std::vector<int>{10, 260, 30}));
    EXPECT_EQ(band_row::maximize({10, 20, 30}, 40, 0), (std::vector<int>{10, 20, 30}));
}

}  // namespace
}  // namespace veltrop
