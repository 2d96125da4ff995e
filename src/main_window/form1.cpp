#include "main_window/form1.h"

#include <algorithm>

#include <QFrame>
#include <QLayout>
#include <QStyle>
#include <QVBoxLayout>

#include "main_window/form1_layout.h"
#include "main_window/one_line_memo.h"
#include "main_window/tool_bar_images.h"
#include "platform/invalid_operation.h"
#include "platform/outer_geometry.h"
#include "platform/program_state.h"
#include "platform/sans_serif_font.h"
#include "store/credential_table.h"

namespace veltrop {

namespace {

// Narrows a caption that the desktop's font makes wider than its button, so that it
// shows whole instead of cut short.
void fitCaption(QToolButton& button, const QFont& font) {
    const int frame = button.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
    const int room = button.width() - 2 * (frame + 1);
    const int width = QFontMetrics(font).horizontalAdvance(button.text());
    if (width <= room) {
        return;
    }
    // Every stretch tried loads a font, so start from the proportional guess and
    // correct it by a step or two instead of walking down from 100.
    const auto fits = [&](int stretch) {
        QFont narrow = font;
        narrow.setStretch(stretch);
        return QFontMetrics(narrow).horizontalAdvance(button.text()) <= room;
    };
    int stretch = std::max<int>(QFont::UltraCondensed, QFont::Unstretched * room / width);
    while (stretch > QFont::UltraCondensed && !fits(stretch)) {
        --stretch;
    }
    while (stretch < QFont::Unstretched - 1 && fits(stretch + 1)) {
        ++stretch;
    }
    QFont narrow = font;
    narrow.setStretch(stretch);
    button.setFont(narrow);
}

const form1::Band& bandOf(const char* control) {
    for (const form1::Band& band : form1::kBands) {
        if (qstrcmp(band.control, control) == 0) {
            return band;
        }
    }
    throw InvalidOperation("a control without a band");
}

}  // namespace

TForm1::TForm1(engine::Session& session, Table::PasswordPrompt prompt,
               std::unique_ptr<NotificationArea> notificationArea)
    : Form(nullptr),
      session_(session),
      table1_(std::make_unique<Table>(QStringLiteral("Table1"), session, credentials::kFileName,
                                      credentials::definition())),
      dataSource1_(std::make_unique<DataSource>(table1_.get())),
      toolBarImageList_(loadToolBarImages()) {
    table1_->setPasswordPrompt(std::move(prompt));
    table1_->setBeforePost([this](Table&) { Table1BeforePost(); });
    applyWindowSettings();
    buildToolBar();
    buildEditors();
    buildCoolBar();
    setKeyboardOrder();
    connectCommands();
    buildPopupMenu();
    connectLaunching();
    buildTrayIcon(std::move(notificationArea));
    // The first window made is the main one.
    if (!programState().mainForm) {
        programState().mainForm = this;
    }
    table1_->open();
    // Only a window whose table is open gets its icon: the icon's double-click would
    // show it, and a start that fails (a password cancelled) shows no window at all.
    trayIcon1_->Loaded();
    followTableName();
    watchForLocking();
}

// The editors go with the window's children, after the data source and the cursor.
TForm1::~TForm1() = default;

void TForm1::applyWindowSettings() {
    setWindowTitle(QString::fromLatin1(form1::kWindow.caption));
    // A main window, which screen readers announce as a frame.
    setAccessibleRole(QAccessible::Window);
    setWindowIcon(programIcon());
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setFont(sansSerifFont(form1::kWindow.fontPixels));
    setBackgroundRole(QPalette::Button);
    setOuterGeometry(*this, QRect(form1::kWindow.left, form1::kWindow.top,
                                  form1::kWindow.outerWidth, form1::kWindow.outerHeight));
}

void TForm1::buildToolBar() {
    toolBar1_ = new QToolBar(this);
    toolBar1_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar1_->setMovable(false);
    toolBar1_->setFloatable(false);
    toolBar1_->setIconSize(QSize(form1::kImageSize, form1::kImageSize));
    toolBar1_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBar1_->layout()->setSpacing(0);
    toolBar1_->layout()->setContentsMargins(form1::kToolBarBorder, form1::kToolBarBorder,
                                            form1::kToolBarBorder, form1::kToolBarBorder);
    for (const form1::ToolItem& item : form1::kToolItems) {
        switch (item.kind) {
            case form1::ItemKind::Button:
                toolBar1_->addWidget(makeButton(item.name, item.caption, item.image));
                break;
            case form1::ItemKind::Separator:
                toolBar1_->addWidget(makeSeparator(item.name));
                break;
            case form1::ItemKind::Banner:
                toolBar1_->addWidget(makeBanner(item.name));
                break;
        }
    }
}

QWidget* TForm1::makeButton(const char* name, const char* caption, int image) {
    auto* button = new QToolButton;
    button->setObjectName(QString::fromLatin1(name));
    button->setText(QString::fromLatin1(caption));
    button->setAccessibleName(button->text());
    button->setIcon(toolBarImageList_.at(image));
    button->setIconSize(QSize(form1::kImageSize, form1::kImageSize));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFixedSize(form1::kButtonWidth, form1::kButtonHeight);
    fitCaption(*button, font());
    // Reachable from the keyboard, yet a click leaves the focus in the editor.
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QWidget* TForm1::makeSeparator(const char* name) {
    auto* separator = new QFrame;
    separator->setObjectName(QString::fromLatin1(name));
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setFixedSize(form1::kSeparatorWidth, form1::kButtonHeight);
    return separator;
}

QWidget* TForm1::makeBanner(const char* name) {
    auto* label = new QLabel(QString::fromLatin1(form1::kBanner.text));
    label->setObjectName(QString::fromLatin1(name));
    label->setToolTip(QString::fromLatin1(form1::kBanner.hint));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setFixedSize(form1::kBanner.width, form1::kBanner.height);
    label->setFont(sansSerifFont(form1::kBanner.fontPixels));
    QPalette colours = label->palette();
    // The 3-D light shade of the desktop's palette.
    colours.setColor(QPalette::Window, colours.color(QPalette::Midlight));
    colours.setColor(QPalette::WindowText, QColor::fromRgb(form1::kBanner.colour));
    label->setPalette(colours);
    label->setAutoFillBackground(true);
    return label;
}

void TForm1::buildEditors() {
    for (const form1::Editor& declared : form1::kEditors) {
        QWidget* editor = nullptr;
        if (declared.kind == form1::EditorKind::Line) {
            auto* edit = new DBEdit(this);
            edit->setDataSource(dataSource1_.get());
            edit->setDataField(QString::fromLatin1(declared.field));
            editor = edit;
        } else {
            auto* memo = new OneLineMemo(declared.height, this);
            memo->setDataSource(dataSource1_.get());
            memo->setDataField(QString::fromLatin1(declared.field));
            editor = memo;
        }
        editor->setObjectName(QString::fromLatin1(declared.name));
        editor->setFixedHeight(declared.height);
        editor->setAccessibleName(QString::fromLatin1(bandOf(declared.name).caption).trimmed());
    }
}

void TForm1::buildCoolBar() {
    coolBar1_ = new BandBar(this);
    coolBar1_->setObjectName(QStringLiteral("CoolBar1"));
    for (const form1::Band& band : form1::kBands) {
        coolBar1_->addBand(QString::fromLatin1(band.caption), child<QWidget>(band.control),
                           band.width, band.minHeight, band.newRow);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(coolBar1_);
    layout->addStretch();
}

void TForm1::setKeyboardOrder() {
    QWidget* previous = nullptr;
    const auto chain = [&previous](QWidget* next) {
        if (previous) {
            setTabOrder(previous, next);
        }
        previous = next;
    };
    for (const form1::ToolItem& item : form1::kToolItems) {
        if (item.kind == form1::ItemKind::Button) {
            chain(child<QWidget>(item.name));
        }
    }
    for (const form1::Editor& editor : form1::kEditors) {
        chain(child<QWidget>(editor.name));
    }
    // Typing right after the start goes into the first editor; the buttons before it
    // stay reachable by Tab.
    child<QWidget>(form1::kEditors.front().name)->setFocus(Qt::OtherFocusReason);
}

}  // namespace veltrop
