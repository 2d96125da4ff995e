#include "dialogs/confirm.h"

namespace veltrop {

TForm3::TForm3(QWidget* parent) : Form(parent) {
    setWindowTitle("Confirm");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
}

}  // namespace veltrop
