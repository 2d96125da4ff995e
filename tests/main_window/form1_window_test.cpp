#include <QAccessible>
#include <QApplication>
#include <QLayout>
#include <QWindow>

#include "form1_fixture.h"

namespace veltrop::testing {
namespace {

class Form1WindowTest : public Form1Test {
protected:
    void SetUp() override {
        createTable();
        openWindow();
    }

    // The tool bar's items from left to right, by name.
    QStringList toolBarItems() const {
        QList<QWidget*> items;
        for (QWidget* item :
             form_->ToolBar1()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (item->isVisible() && !item->objectName().isEmpty()) {
                items.append(item);
            }
        }
        std::sort(items.begin(), items.end(),
                  [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
        QStringList names;
        for (QWidget* item : items) {
            names.append(item->objectName());
        }
        return names;
    }
};

TEST_F(Form1WindowTest, WindowHasItsCaptionPlaceAndSize) {
    EXPECT_EQ(form_->windowTitle(), "Veltrop");
    // The outer size counts the frame in.
    EXPECT_EQ(form_->frameGeometry(), QRect(200, 116, 715, 129));
    EXPECT_EQ(form_->windowHandle()->framePosition(), QPoint(200, 116));
    EXPECT_EQ(form_->size(), QSize(715, 129).shrunkBy(form_->windowHandle()->frameMargins()));
}

TEST_F(Form1WindowTest, WindowFloatsAboveOthersWithAnOrdinarySizeableFrame) {
    const Qt::WindowFlags flags = form_->windowHandle()->flags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form_->isWindow());
    EXPECT_FALSE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(flags.testFlag(Qt::Tool));
    // No customised decorations: the title bar carries system menu, min and max boxes.
    EXPECT_FALSE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_LT(form_->minimumWidth(), 715);
    EXPECT_EQ(form_->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

TEST_F(Form1WindowTest, WindowUsesTheDesktopsSansSerifAtElevenPixels) {
    EXPECT_EQ(form_->font().pixelSize(), 11);
    EXPECT_EQ(form_->font().styleHint(), QFont::SansSerif);
    EXPECT_EQ(form_->ToolButtonAdd()->font().pixelSize(), 11);
    EXPECT_EQ(form_->CoolBar1()->font().pixelSize(), 11);
}

TEST_F(Form1WindowTest, WindowCarriesTheProgramsIcon) {
    const QIcon icon = form_->windowIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage image = icon.pixmap(32, 32).toImage();
    EXPECT_EQ(image.size(), QSize(32, 32));
    // Drawn, not blank: more than a couple of colours.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    EXPECT_GE(colours.size(), 3);
}

TEST_F(Form1WindowTest, ToolBarHoldsItsItemsInOrder) {
    EXPECT_EQ(toolBarItems(), (QStringList{"ToolButtonLookUp", "ToolButtonAdd", "ToolButtonSave",
                                           "ToolButtonDel", "ToolButton1", "Label1", "ToolButton3",
                                           "ToolButtonInternet", "ToolButtonEmail",
                                           "ToolButtonMinimize", "ToolButton2", "ToolButtonExit"}));
}

TEST_F(Form1WindowTest, ToolBarItemsStandSideBySideWithinTheBar) {
    QWidget* previous = nullptr;
    for (const QString& name : toolBarItems()) {
        QWidget* item = form_->ToolBar1()->findChild<QWidget*>(name);
        if (previous) {
            EXPECT_EQ(item->x(), previous->geometry().right() + 1) << name.toStdString();
        }
        EXPECT_TRUE(form_->ToolBar1()->rect().contains(item->geometry())) << name.toStdString();
        previous = item;
    }
    EXPECT_EQ(form_->ToolBar1()->layout()->contentsMargins(), QMargins(1, 1, 1, 1));
}

TEST_F(Form1WindowTest, ButtonsShowCaptionsUnderImagesWithoutHints) {
    const struct {
        QToolButton* button;
        const char* caption;
        int image;
    } buttons[] = {
        {form_->ToolButtonLookUp(), "Find", 5},        {form_->ToolButtonAdd(), "Add", 0},
        {form_->ToolButtonSave(), "Save", 11},         {form_->ToolButtonDel(), "Delete", 1},
        {form_->ToolButtonInternet(), "Web", 2},       {form_->ToolButtonEmail(), "Email", 4},
        {form_->ToolButtonMinimize(), "Minimize", 12}, {form_->ToolButtonExit(), "Exit", 3},
    };
    for (const auto& expected : buttons) {
        ASSERT_NE(expected.button, nullptr) << expected.caption;
        QToolButton& button = *expected.button;
        EXPECT_EQ(button.text(), expected.caption);
        EXPECT_EQ(button.size(), QSize(47, 36)) << expected.caption;
        EXPECT_EQ(button.toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        // The caption shows whole, even where the desktop's font runs wide.
        EXPECT_LE(button.fontMetrics().horizontalAdvance(button.text()), 47 - 4)
            << expected.caption;
        EXPECT_EQ(button.font().pixelSize(), 11);
        EXPECT_EQ(button.iconSize(), QSize(16, 16));
        EXPECT_EQ(button.icon().pixmap(16, 16).toImage(),
                  form_->ToolBarImageList().at(expected.image).toImage())
            << expected.caption;
        EXPECT_TRUE(button.toolTip().isEmpty()) << expected.caption;
        EXPECT_EQ(QAccessible::queryAccessibleInterface(&button)->text(QAccessible::Name),
                  expected.caption);
    }
}

TEST_F(Form1WindowTest, SeparatorsAreEightPixelsWide) {
    for (QWidget* separator : {form_->ToolButton1(), form_->ToolButton2(), form_->ToolButton3()}) {
        ASSERT_NE(separator, nullptr);
        EXPECT_EQ(separator->width(), 8);
        EXPECT_EQ(separator->focusPolicy(), Qt::NoFocus);
    }
}

TEST_F(Form1WindowTest, BannerShowsOurOwnLineInMaroonOnThreeDLight) {
    QLabel& label = *form_->Label1();
    EXPECT_EQ(label.size(), QSize(286, 36));
    EXPECT_EQ(label.alignment(), Qt::AlignCenter);
    EXPECT_TRUE(label.wordWrap());
    EXPECT_EQ(label.toolTip(), "Double Click for Internet Home Page");
    EXPECT_EQ(label.font().pixelSize(), 15);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0x80, 0x00, 0x00));
    EXPECT_EQ(label.palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Midlight));
    EXPECT_TRUE(label.autoFillBackground());
    // One line, padded with a blank on both sides, naming this project only.
    const QString text = label.text();
    EXPECT_TRUE(text.startsWith(' ') && text.endsWith(' '));
    EXPECT_FALSE(text.contains('\n'));
    EXPECT_TRUE(text.contains("Veltrop"));
    EXPECT_LE(QFontMetrics(label.font()).horizontalAdvance(text), label.width());
}

TEST_F(Form1WindowTest, ImageListHoldsThirteenDistinctPicturesOfSixteenPixels) {
    const QList<QPixmap>& images = form_->ToolBarImageList();
    ASSERT_EQ(images.size(), 13);
    for (int i = 0; i < images.size(); ++i) {
        EXPECT_FALSE(images[i].isNull()) << i;
        EXPECT_EQ(images[i].size(), QSize(16, 16)) << i;
        for (int j = 0; j < i; ++j) {
            EXPECT_NE(images[i].toImage(), images[j].toImage()) << i << " and " << j;
        }
    }
}

}  // namespace
}  // namespace veltrop::testing
