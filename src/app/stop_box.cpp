#include "app/stop_box.h"

#include <QEventLoop>
#include <QMessageBox>

namespace veltrop {

// Without Qt's own modality, which a message box has by default: it would also
// block the notification-area icon, whose "Exit" must work while the box is up. The caller disables
// the program's windows as every modal loop does; ending the program ends the loop too.
namespace {

void showBox(QMessageBox::Icon icon, const QString& caption, const QString& text) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok);
    box.setWindowModality(Qt::NonModal);
    QEventLoop loop;
    QObject::connect(&box, &QMessageBox::finished, &loop, &QEventLoop::quit);
    box.show();
    loop.exec();
}

}  // namespace

void showStopBox(const QString& caption, const QString& text) {
    showBox(QMessageBox::Critical, caption, text);
}

void showNoticeBox(const QString& caption, const QString& text) {
    showBox(QMessageBox::Information, caption, text);
}

}  // namespace veltrop
