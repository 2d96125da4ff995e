#include "platform/clipboard_eraser.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QWindow>

#include "core/guard.h"
#include "platform/secret_clipboard.h"

namespace veltrop {

ClipboardEraser::ClipboardEraser(int seconds, QObject* parent)
    : QObject(parent), seconds_(seconds) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { guarded([&] { timeUp(); }); });
}

ClipboardEraser::~ClipboardEraser() {
    clearOurCopy();
}

void ClipboardEraser::copy(const QString& text) {
    ours_ = copySecretText(text);
    if (seconds_ > 0) {
        timer_.start(seconds_ * 1000);
    }
}

// The clipboard deletes our data once another copy replaces it, here or in another
// program; while we own it, it hands back the very object we gave.
bool ClipboardEraser::holdsOurCopy() const {
    return ours_ && QGuiApplication::clipboard()->mimeData() == ours_.data();
}

void ClipboardEraser::clearOurCopy() {
    timer_.stop();
    disconnect(waitingForFocus_);
    if (holdsOurCopy()) {
        QGuiApplication::clipboard()->clear();
    }
    ours_.clear();
}

// Wayland lets only a client with the keyboard focus change the selection: without the
// focus, the copy goes when one of our windows next has it.
void ClipboardEraser::timeUp() {
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
        !QGuiApplication::focusWindow()) {
        disconnect(waitingForFocus_);
        waitingForFocus_ =
            connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
                if (window) {
                    guarded([&] { clearOurCopy(); });
                }
            });
        return;
    }
    clearOurCopy();
}

}  // namespace veltrop
