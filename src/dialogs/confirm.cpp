#include "dialogs/confirm.h"

#include <QScreen>
#include <cmath>

#include "core/guard.h"
#include "dialogs/confirm_layout.h"
#include "platform/guarded_connect.h"
#include "platform/sans_serif_font.h"

// Resources of a static library are registered by hand, outside any namespace.
static void registerDialogImages() {
    Q_INIT_RESOURCE(dialog_images);
}

namespace veltrop {

namespace {

int scaled(int designed, double scale) {
    return static_cast<int>(std::lround(designed * scale));
}

QRect scaled(const QRect& designed, double scale) {
    return {scaled(designed.x(), scale), scaled(designed.y(), scale),
            scaled(designed.width(), scale), scaled(designed.height(), scale)};
}

// Compiled in: the style's own cancel icon is looked up in the desktop's icon themes,
// which costs start-up a few milliseconds for a dialog that is not shown yet.
QIcon imageFor(const form3::Button& button) {
    registerDialogImages();
    return QIcon(QString::fromLatin1(button.image));
}

}  // namespace

TForm3::TForm3(QWidget* parent) : Form(parent) {
    setWindowTitle(QString::fromLatin1(form3::kCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    const double scale = screen()->logicalDotsPerInch() / form3::kDesignDpi;
    setFont(sansSerifFont(scaled(form3::kFontPixels, scale)));
    setFixedSize(scaled(form3::kClientSize.width(), scale),
                 scaled(form3::kClientSize.height(), scale));
    move(form3::kPosition);
    buildButtons(scale);
}

void TForm3::buildButtons(double scale) {
    for (const form3::Button& declared : form3::kButtons) {
        auto* button = new QPushButton(QString::fromLatin1(declared.caption), this);
        button->setObjectName(QString::fromLatin1(declared.name));
        button->setAccessibleName(button->text());
        // Its disabled look is drawn from it.
        button->setIcon(imageFor(declared));
        button->setGeometry(scaled(declared.geometry, scale));
        // Enter presses the focused button; with the focus elsewhere, the default one.
        button->setAutoDefault(true);
        buttons_.append(button);
    }
    BitBtn1()->setDefault(true);
    setKeyButtons(BitBtn1(), BitBtn2());
    setTabOrder(BitBtn1(), BitBtn2());
    BitBtn1()->setFocus();
    connectGuarded(BitBtn1(), &QPushButton::clicked, this, &TForm3::BitBtn1Click);
    connectGuarded(BitBtn2(), &QPushButton::clicked, this, &TForm3::BitBtn2Click);
}

void TForm3::BitBtn1Click() {
    setModalResult(form3::kButtons[0].result);
}

void TForm3::BitBtn2Click() {
    setModalResult(form3::kButtons[1].result);
}

}  // namespace veltrop
