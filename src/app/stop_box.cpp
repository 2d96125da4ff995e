#include "app/stop_box.h"

#include <QMessageBox>

namespace veltrop {

void showStopBox(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.exec();
}

}  // namespace veltrop
