#include "platform/outer_geometry.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

#include "core/guard.h"

namespace veltrop {

namespace {

// Watches the window until its frame is known, then fits the window into the outer
// geometry and goes away.
class FrameFit : public QObject {
public:
    FrameFit(QWidget& window, const QRect& outer)
        : QObject(&window), window_(window), outer_(outer) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        guarded([&] {
            const QEvent::Type type = event->type();
            if (!fitted_ &&
                (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize)) {
                fit();
            }
        });
        return false;
    }

private:
    void fit() {
        const QWindow* handle = window_.windowHandle();
        if (!handle || handle->frameMargins().isNull()) {
            return;
        }
        fitted_ = true;
        window_.resize(outer_.size().shrunkBy(handle->frameMargins()));
        window_.move(outer_.topLeft());
        deleteLater();
    }

    QWidget& window_;
    QRect outer_;
    bool fitted_ = false;
};

}  // namespace

void setOuterGeometry(QWidget& window, const QRect& outer) {
    // A top-level window's position is that of its frame; its size is the inner one.
    window.move(outer.topLeft());
    window.resize(outer.size());
    new FrameFit(window, outer);
}

}  // namespace veltrop
