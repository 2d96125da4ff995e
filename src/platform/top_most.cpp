#include "platform/top_most.h"

#include <QGuiApplication>
#include <QPointer>
#include <QWindow>
#include <vector>

namespace veltrop {

namespace {
int depth = 0;
std::vector<QPointer<QWindow>> lowered;
}  // namespace

TopMostLowering::TopMostLowering() {
    ++depth;
    lowerShownWindows();
}

TopMostLowering::~TopMostLowering() {
    if (--depth > 0) {
        return;
    }
    for (const QPointer<QWindow>& window : lowered) {
        if (window) {
            window->setFlag(Qt::WindowStaysOnTopHint, true);
        }
    }
    lowered.clear();
}

void TopMostLowering::lowerShownWindows() {
    if (depth == 0) {
        return;
    }
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->flags().testFlag(Qt::WindowStaysOnTopHint)) {
            window->setFlag(Qt::WindowStaysOnTopHint, false);
            lowered.emplace_back(window);
        }
    }
}

}  // namespace veltrop
