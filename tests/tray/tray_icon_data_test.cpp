#include <QPointer>
#include <stdexcept>

#include "tray_fixture.h"

namespace veltrop::testing {
namespace {

using Request = NotifyIconRequest;

void expectFixedFields(const NotifyIconData& data, const MessageWindow* window) {
    EXPECT_EQ(data.cbSize, 88u);
    EXPECT_EQ(data.hWnd, window);
    EXPECT_EQ(data.uID, 1u);
    EXPECT_EQ(data.uFlags, 7u);
    EXPECT_EQ(data.uCallbackMessage, 0x0800u);
}

using TrayDataTest = TrayTest;

TEST_F(TrayDataTest, ConstructionAsksNothingOfTheAreaAndTheIconIsMeantToBeVisible) {
    icon_ = makeIcon(&owner_);
    EXPECT_TRUE(area_->requests.empty());
    EXPECT_TRUE(icon_->IconVisible());
    EXPECT_TRUE(icon_->Enabled());
    expectFixedFields(icon_->IconData(), &icon_->messageWindow());
}

TEST_F(TrayDataTest, EveryRequestCarriesTheFixedFieldsAlsoWithAnEmptyTip) {
    TTrayIcon& icon = loadedIcon();
    icon.setShowHint(true);
    icon.setHint("Veltrop");
    icon.setHint("");
    icon.setIconVisible(false);
    EXPECT_EQ(lastRequest().request, Request::Delete);
    for (const auto& request : area_->requests) {
        SCOPED_TRACE(static_cast<int>(request.request));
        expectFixedFields(request.data, &icon.messageWindow());
    }
}

struct TipCase {
    const char* name;
    QString hint;
    bool showHint;
    QString tip;
};

const QString kSeventy = QString("0123456789").repeated(7);
// Characters outside the basic plane take two UTF-16 units each.
const QString kClef = QString::fromUtf8("\xF0\x9D\x84\x9E");

const TipCase kTips[] = {
    {"70 characters shown", kSeventy, true, kSeventy.left(63)},
    {"70 characters not shown", kSeventy, false, ""},
    {"64 characters", kSeventy.left(64), true, kSeventy.left(63)},
    {"63 characters", kSeventy.left(63), true, kSeventy.left(63)},
    {"short hint", "Veltrop", true, "Veltrop"},
    {"short hint not shown", "Veltrop", false, ""},
    {"empty hint shown", "", true, ""},
    {"a pair across the limit is left out whole", kClef.repeated(40), true, kClef.repeated(31)},
    {"a pair just inside the limit stays", "x" + kClef.repeated(31), true,
     "x" + kClef.repeated(31)},
};

TEST_F(TrayDataTest, TheTipIsTheHintCutToItsLengthOnlyWhenShown) {
    TTrayIcon& icon = loadedIcon();
    for (const TipCase& row : kTips) {
        SCOPED_TRACE(row.name);
        icon.setShowHint(row.showHint);
        icon.setHint(row.hint);
        EXPECT_EQ(icon.Hint(), row.hint);
        EXPECT_EQ(area_->shown.szTip, row.tip);
        EXPECT_EQ(lastRequest().request, Request::Modify);
        EXPECT_TRUE(lastRequest().accepted);
    }
}

TEST_F(TrayDataTest, WritesBeforeLoadingAreRefusedUntilLoadingAddsTheIcon) {
    icon_ = makeIcon(&owner_);
    icon_->setIcon(colourIcon("#ff0000"));
    icon_->setHint("Veltrop");
    icon_->setShowHint(true);
    icon_->setIconIndex(5);
    for (const auto& request : area_->requests) {
        EXPECT_EQ(request.request, Request::Modify);
        EXPECT_FALSE(request.accepted);
    }
    EXPECT_FALSE(area_->requests.empty());
    EXPECT_FALSE(area_->present);
    EXPECT_EQ(icon_->IconIndex(), 0);

    icon_->Loaded();

    ASSERT_TRUE(area_->present);
    EXPECT_EQ(lastRequest().request, Request::Add);
    for (size_t i = 0; i + 1 < area_->requests.size(); ++i) {
        EXPECT_FALSE(area_->requests[i].accepted) << "request " << i;
    }
    EXPECT_EQ(area_->shown.szTip, "Veltrop");
    EXPECT_EQ(colourOf(area_->shown.hIcon), "#ff0000");
}

TEST_F(TrayDataTest, AnIconMeantToBeHiddenStaysOutOfTheAreaWhenLoaded) {
    icon_ = makeIcon(&owner_);
    icon_->setIconVisible(false);
    icon_->Loaded();
    EXPECT_FALSE(area_->present);
    EXPECT_FALSE(icon_->IconVisible());
    for (const auto& request : area_->requests) {
        EXPECT_NE(request.request, Request::Add);
    }
}

TEST_F(TrayDataTest, IconVisibleAddsAndRemovesTheIcon) {
    TTrayIcon& icon = loadedIcon();
    icon.setIcon(colourIcon("#00ff00"));

    icon.setIconVisible(false);
    EXPECT_EQ(lastRequest().request, Request::Delete);
    EXPECT_TRUE(lastRequest().accepted);
    EXPECT_FALSE(area_->present);
    EXPECT_FALSE(icon.IconVisible());

    icon.setIconVisible(true);
    EXPECT_EQ(lastRequest().request, Request::Add);
    EXPECT_TRUE(lastRequest().accepted);
    EXPECT_TRUE(area_->present);
    EXPECT_TRUE(icon.IconVisible());
    EXPECT_EQ(colourOf(area_->shown.hIcon), "#00ff00");
}

TEST_F(TrayDataTest, RequestsTheAreaRefusesChangeNothing) {
    TTrayIcon& icon = loadedIcon();
    icon.setIcon(colourIcon("#0000ff"));
    const NotifyIconData before = icon.IconData();

    EXPECT_FALSE(icon.AddTrayIcon()) << "a second add";
    EXPECT_FALSE(lastRequest().accepted);
    EXPECT_TRUE(icon.IconVisible());
    EXPECT_TRUE(area_->present);
    EXPECT_EQ(colourOf(icon.IconData().hIcon), colourOf(before.hIcon));

    EXPECT_TRUE(icon.UpdateTrayIcon());
    EXPECT_TRUE(icon.RemoveTrayIcon());
    EXPECT_FALSE(icon.RemoveTrayIcon()) << "a second removal";
    EXPECT_FALSE(icon.UpdateTrayIcon()) << "a change of an absent icon";
    EXPECT_FALSE(icon.IconVisible());
    EXPECT_FALSE(area_->present);
}

TEST_F(TrayDataTest, AnIconTheAreaLostReturnsOnlyWhenMadeVisibleAgain) {
    TTrayIcon& icon = loadedIcon();
    area_->present = false;  // the host restarted
    icon.setHint("changed");
    EXPECT_FALSE(lastRequest().accepted);
    EXPECT_FALSE(area_->present);
    EXPECT_TRUE(icon.IconVisible());

    icon.setIconVisible(true);
    EXPECT_TRUE(lastRequest().accepted);
    EXPECT_TRUE(area_->present);
}

TEST_F(TrayDataTest, DesignPreviewShowsTheIconWithoutChangingIconVisible) {
    TTrayIcon& icon = loadedIcon();
    icon.setIconVisible(false);

    icon.setDesignPreview(true);
    EXPECT_TRUE(icon.DesignPreview());
    EXPECT_EQ(lastRequest().request, Request::Add);
    EXPECT_TRUE(area_->present);
    EXPECT_FALSE(icon.IconVisible());

    icon.setDesignPreview(false);
    EXPECT_EQ(lastRequest().request, Request::Delete);
    EXPECT_FALSE(area_->present);
    EXPECT_FALSE(icon.IconVisible());

    icon.setIconVisible(true);
    icon.setDesignPreview(true);
    EXPECT_FALSE(lastRequest().accepted) << "the icon was there already";
    EXPECT_TRUE(icon.IconVisible());
    EXPECT_TRUE(area_->present);
}

TEST_F(TrayDataTest, DestructionRemovesTheIconWhetherOrNotItIsThere) {
    for (bool visible : {true, false}) {
        SCOPED_TRACE(visible ? "visible" : "hidden");
        for (QObject* owner : {static_cast<QObject*>(&owner_), static_cast<QObject*>(nullptr)}) {
            icon_ = makeIcon(owner);
            icon_->setIconVisible(visible);
            icon_->Loaded();
            ASSERT_EQ(area_->present, visible);
            icon_.reset();
            EXPECT_EQ(lastRequest().request, Request::Delete);
            EXPECT_EQ(lastRequest().accepted, visible);
            EXPECT_FALSE(area_->present);
        }
    }
}

TEST_F(TrayDataTest, DeletingTheOwnerDestroysTheIconAndRemovesIt) {
    auto* owner = new Form;
    QPointer<TTrayIcon> icon = makeIcon(owner).release();
    icon->Loaded();
    ASSERT_TRUE(area_->present);
    delete owner;
    EXPECT_TRUE(icon.isNull());
    EXPECT_FALSE(area_->present);
}

TEST_F(TrayDataTest, AnOwnerThatIsNoWindowIsRefused) {
    QObject notAWindow;
    try {
        makeIcon(&notAWindow);
        ADD_FAILURE() << "constructed with an owner that is no window";
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "Invalid class typecast");
    }
    EXPECT_TRUE(notAWindow.children().isEmpty());
    EXPECT_TRUE(area_->requests.empty());
}

}  // namespace
}  // namespace veltrop::testing
