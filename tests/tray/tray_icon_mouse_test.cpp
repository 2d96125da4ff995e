#include <QAction>
#include <QMenu>
#include <QMetaObject>
#include <stdexcept>

#include "platform/message_window.h"
#include "platform/window_messages.h"
#include "tray_fixture.h"

namespace veltrop::testing {
namespace {

namespace wm = window_message;
// A message the icon never acts on.
constexpr unsigned kNullMessage = 0x0000;
using Log = std::vector<std::string>;

std::string buttonName(MouseButton button) {
    switch (button) {
        case MouseButton::Left:
            return "left";
        case MouseButton::Right:
            return "right";
        case MouseButton::Middle:
            return "middle";
    }
    return "?";
}

std::string at(int x, int y) {
    return std::to_string(x) + "," + std::to_string(y);
}

// The user's mouse on an icon whose events, menu and menu choices all write to
// one log, so that the order in which they happen shows.
class TrayMouseTest : public TrayTest {
protected:
    void SetUp() override {
        TrayTest::SetUp();
        area_->cursor = QPoint(120, 45);
        area_->modifiers = Qt::ShiftModifier | Qt::ControlModifier;
        area_->whilePopupOpen = [this](QMenu&) { log_.push_back("popup"); };
        restore_ = menu_.addAction("Restore");
        QAction* exit = menu_.addAction("Exit");
        QObject::connect(restore_, &QAction::triggered, [this] { log_.push_back("Restore"); });
        QObject::connect(exit, &QAction::triggered, [this] { log_.push_back("Exit"); });
        makeWatchedIcon();
    }

    // A new icon, with nothing pending from earlier input.
    void makeWatchedIcon() {
        TTrayIcon& icon = loadedIcon();
        icon.setPopupMenu(&menu_);
        icon.setOnClick([this](TTrayIcon&) { log_.push_back("click"); });
        icon.setOnDblClick([this](TTrayIcon&) { log_.push_back("dblclick"); });
        icon.setOnMouseDown(logged("down"));
        icon.setOnMouseUp(logged("up"));
        icon.setOnMouseMove([this](TTrayIcon&, ShiftState shift, int x, int y) {
            log_.push_back("move " + std::to_string(shift) + " " + at(x, y));
        });
    }

    TTrayIcon::MouseEvent logged(std::string what) {
        return [this, what](TTrayIcon&, MouseButton button, ShiftState shift, int x, int y) {
            log_.push_back(what + " " + buttonName(button) + " " + std::to_string(shift) + " " +
                           at(x, y));
        };
    }

    void play(const std::vector<unsigned>& mouseMessages) {
        for (unsigned message : mouseMessages) {
            playOnIcon(*area_, {message});
        }
    }

    QMenu menu_;
    QAction* restore_ = nullptr;
    Log log_;
};

struct MessageCase {
    const char* name;
    unsigned message;
    Log events;
};

// Shift and Ctrl are held (5) at 120,45; the menu has no default item.
const MessageCase kMessages[] = {
    {"move", wm::kMouseMove, {"move 5 120,45"}},
    {"left press", wm::kLeftButtonDown, {"down left 13 120,45"}},
    {"left release without press", wm::kLeftButtonUp, {"up left 13 120,45"}},
    {"left double-click", wm::kLeftButtonDoubleClick, {"dblclick"}},
    {"right press", wm::kRightButtonDown, {"down right 21 120,45", "popup"}},
    {"right release", wm::kRightButtonUp, {"up right 21 120,45"}},
    {"right double-click", wm::kRightButtonDoubleClick, {}},
    {"middle press", wm::kMiddleButtonDown, {"down middle 37 120,45"}},
    {"middle release", wm::kMiddleButtonUp, {"up middle 37 120,45"}},
    {"middle double-click", 0x0209, {}},
    {"wheel", 0x020A, {}},
    {"no mouse message", kNullMessage, {}},
};

TEST_F(TrayMouseTest, EachMouseMessageRaisesItsEvents) {
    for (const MessageCase& row : kMessages) {
        SCOPED_TRACE(row.name);
        makeWatchedIcon();
        log_.clear();
        play({row.message});
        EXPECT_EQ(log_, row.events);
    }
}

TEST_F(TrayMouseTest, WhileDisabledNoMessageRaisesAnythingAndTheIconStays) {
    icon_->setLeftPopup(true);
    icon_->setEnabled(false);
    const size_t requestsBefore = area_->requests.size();
    for (const MessageCase& row : kMessages) {
        SCOPED_TRACE(row.name);
        play({row.message});
    }
    play({wm::kLeftButtonDown, wm::kLeftButtonUp, wm::kLeftButtonDoubleClick, wm::kLeftButtonUp});
    EXPECT_EQ(log_, Log{});
    EXPECT_TRUE(area_->popups.empty());
    EXPECT_TRUE(area_->present);
    EXPECT_EQ(area_->requests.size(), requestsBefore);

    icon_->setEnabled(true);
    play({wm::kLeftButtonUp});
    EXPECT_EQ(log_, Log{"up left 13 120,45"}) << "a press made while disabled left a click behind";
}

TEST_F(TrayMouseTest, ShiftFlagsComeFromTheKeyboardAndAddTheButton) {
    struct Row {
        Qt::KeyboardModifiers held;
        unsigned flags;
    };
    const Row rows[] = {
        {Qt::NoModifier, 0},
        {Qt::ShiftModifier, shift::kShift},
        {Qt::AltModifier, shift::kAlt},
        {Qt::ControlModifier, shift::kCtrl},
        {Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier, 7},
        {Qt::MetaModifier | Qt::KeypadModifier, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.flags);
        log_.clear();
        area_->modifiers = row.held;
        play({wm::kMouseMove, wm::kMiddleButtonDown});
        EXPECT_EQ(log_,
                  (Log{"move " + std::to_string(row.flags) + " 120,45",
                       "down middle " + std::to_string(row.flags | shift::kMiddle) + " 120,45"}));
    }
}

TEST_F(TrayMouseTest, ThePositionIsTheCursorsWhenEachMessageIsHandled) {
    area_->modifiers = Qt::NoModifier;
    area_->cursor = QPoint(-5, 7);
    play({wm::kLeftButtonDown});
    area_->cursor = QPoint(1900, 1060);
    play({wm::kLeftButtonUp});
    area_->cursor = QPoint(3, 4);
    play({wm::kMouseMove});
    EXPECT_EQ(log_, (Log{"down left 8 -5,7", "click", "up left 8 1900,1060", "move 0 3,4"}));
}

TEST_F(TrayMouseTest, ADoubleClickRaisesOneClickAndChoosesTheDefaultItem) {
    menu_.setDefaultAction(restore_);
    play({wm::kLeftButtonDown, wm::kLeftButtonUp, wm::kLeftButtonDoubleClick, wm::kLeftButtonUp});
    EXPECT_EQ(log_, (Log{"down left 13 120,45", "click", "up left 13 120,45", "dblclick", "Restore",
                         "up left 13 120,45"}));
    EXPECT_TRUE(area_->popups.empty());
}

TEST_F(TrayMouseTest, APressIsClickedByTheNextReleaseOnly) {
    area_->modifiers = Qt::NoModifier;
    play({wm::kLeftButtonUp, wm::kLeftButtonDown, wm::kRightButtonUp, wm::kLeftButtonUp,
          wm::kLeftButtonUp});
    EXPECT_EQ(log_, (Log{"up left 8 120,45", "down left 8 120,45", "up right 16 120,45", "click",
                         "up left 8 120,45", "up left 8 120,45"}));
}

TEST_F(TrayMouseTest, ARightPressOpensTheMenuAtTheCursorWhateverLeftPopupSays) {
    for (bool leftPopup : {false, true}) {
        SCOPED_TRACE(leftPopup ? "LeftPopup" : "no LeftPopup");
        log_.clear();
        area_->popups.clear();
        menu_.setProperty(TTrayIcon::kPopupComponent, QVariant());
        icon_->setLeftPopup(leftPopup);
        area_->cursor = QPoint(300, 200);
        QObject* openerWhileOpen = nullptr;
        area_->whilePopupOpen = [&](QMenu& menu) {
            log_.push_back("popup");
            openerWhileOpen = qvariant_cast<QObject*>(menu.property(TTrayIcon::kPopupComponent));
        };

        play({wm::kRightButtonDown, wm::kRightButtonUp});

        EXPECT_EQ(log_, (Log{"down right 21 300,200", "popup", "up right 21 300,200"}));
        ASSERT_EQ(area_->popups.size(), 1u);
        EXPECT_EQ(area_->popups[0].menu, &menu_);
        EXPECT_EQ(area_->popups[0].at, QPoint(300, 200));
        EXPECT_EQ(openerWhileOpen, icon_.get());
    }
}

TEST_F(TrayMouseTest, PendingEventsRunBeforeTheMenuOpens) {
    bool ranBeforeMenu = false;
    bool pendingRan = false;
    QMetaObject::invokeMethod(
        &menu_, [&] { pendingRan = true; }, Qt::QueuedConnection);
    area_->whilePopupOpen = [&](QMenu&) { ranBeforeMenu = pendingRan; };
    play({wm::kRightButtonDown});
    EXPECT_TRUE(ranBeforeMenu);
}

TEST_F(TrayMouseTest, WithLeftPopupALeftPressOpensTheMenuAndADoubleClickChoosesNothing) {
    menu_.setDefaultAction(restore_);
    icon_->setLeftPopup(true);
    play({wm::kLeftButtonDown, wm::kLeftButtonUp, wm::kLeftButtonDoubleClick, wm::kLeftButtonUp});
    EXPECT_EQ(log_, (Log{"down left 13 120,45", "popup", "click", "up left 13 120,45", "dblclick",
                         "up left 13 120,45"}));
    ASSERT_EQ(area_->popups.size(), 1u);
    EXPECT_EQ(area_->popups[0].at, QPoint(120, 45));
}

TEST_F(TrayMouseTest, WithoutACursorPositionNoMenuOpens) {
    area_->cursor.reset();
    icon_->setLeftPopup(true);
    play({wm::kLeftButtonDown, wm::kRightButtonDown});
    ASSERT_EQ(log_.size(), 2u);
    EXPECT_EQ(log_[0].rfind("down left 13 ", 0), 0u) << log_[0];
    EXPECT_EQ(log_[1].rfind("down right 21 ", 0), 0u) << log_[1];
    EXPECT_TRUE(area_->popups.empty());
}

TEST_F(TrayMouseTest, OnlyADefaultItemAtTheMenusTopLevelIsChosen) {
    QMenu* sub = menu_.addMenu("More");
    QAction* inner = sub->addAction("Inner");
    QObject::connect(inner, &QAction::triggered, [this] { log_.push_back("Inner"); });

    struct Row {
        const char* name;
        QAction* marked;
        QAction* subMarked;
        Log events;
    };
    const Row rows[] = {
        {"default item", restore_, nullptr, {"dblclick", "Restore"}},
        {"no default item", nullptr, nullptr, {"dblclick"}},
        {"a default item in a submenu", nullptr, inner, {"dblclick"}},
        {"marked item lives in a submenu", inner, nullptr, {"dblclick"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        log_.clear();
        menu_.setDefaultAction(row.marked);
        sub->setDefaultAction(row.subMarked);
        play({wm::kLeftButtonDoubleClick});
        EXPECT_EQ(log_, row.events);
    }
}

TEST_F(TrayMouseTest, WithoutAMenuOnlyTheEventsHappen) {
    menu_.setDefaultAction(restore_);
    icon_->setPopupMenu(nullptr);
    play({wm::kRightButtonDown, wm::kLeftButtonDoubleClick});
    EXPECT_EQ(log_, (Log{"down right 21 120,45", "dblclick"}));
    EXPECT_TRUE(area_->popups.empty());
}

TEST_F(TrayMouseTest, ADeletedMenuIsForgotten) {
    auto* menu = new QMenu;
    QAction* item = menu->addAction("Restore");
    menu->setDefaultAction(item);
    QObject::connect(item, &QAction::triggered, [this] { log_.push_back("chosen"); });
    icon_->setPopupMenu(menu);
    delete menu;

    EXPECT_EQ(icon_->PopupMenu(), nullptr);
    play({wm::kRightButtonDown, wm::kLeftButtonDoubleClick});
    EXPECT_EQ(log_, (Log{"down right 21 120,45", "dblclick"}));
    EXPECT_TRUE(area_->popups.empty());
}

TEST_F(TrayMouseTest, TheMessageWindowAllowsAShutdownAndAnswersOtherMessagesWithZero) {
    MessageWindow& window = icon_->messageWindow();
    EXPECT_EQ(window.send(wm::kQueryEndSession, 0, 0), 1);
    EXPECT_EQ(window.send(kNullMessage, 0, 0), 0);
    EXPECT_EQ(window.send(0x0005, 1, 0), 0);
    EXPECT_EQ(window.send(wm::kLeftButtonDown, 0, 0), 0);
    EXPECT_EQ(log_, Log{}) << "a mouse message sent directly is no icon input";
}

TEST_F(TrayMouseTest, AnErrorInAnEventHandlerIsReportedInsteadOfEscaping) {
    auto fail = [](auto&&...) { throw std::runtime_error("handler failed"); };
    struct Row {
        const char* name;
        std::function<void(TTrayIcon&)> install;
        std::vector<unsigned> messages;
    };
    const Row rows[] = {
        {"OnClick",
         [&](TTrayIcon& icon) { icon.setOnClick(fail); },
         {wm::kLeftButtonDown, wm::kLeftButtonUp}},
        {"OnDblClick",
         [&](TTrayIcon& icon) { icon.setOnDblClick(fail); },
         {wm::kLeftButtonDoubleClick}},
        {"OnMouseDown",
         [&](TTrayIcon& icon) { icon.setOnMouseDown(fail); },
         {wm::kRightButtonDown}},
        {"OnMouseUp", [&](TTrayIcon& icon) { icon.setOnMouseUp(fail); }, {wm::kMiddleButtonUp}},
        {"OnMouseMove", [&](TTrayIcon& icon) { icon.setOnMouseMove(fail); }, {wm::kMouseMove}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        makeWatchedIcon();
        row.install(*icon_);
        EXPECT_NO_THROW(play(row.messages));
        EXPECT_EQ(takeErrors(), std::vector<std::string>{"handler failed"});
    }
}

}  // namespace
}  // namespace veltrop::testing
