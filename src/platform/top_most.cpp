#include "platform/top_most.h"

#include <QGuiApplication>
#include <QWindow>

#include "platform/program_state.h"

namespace veltrop {

TopMostLowering::TopMostLowering() {
    ++programState().topMostLoweringDepth;
    lowerShownWindows();
}

TopMostLowering::~TopMostLowering() {
    ProgramState& state = programState();
    if (--state.topMostLoweringDepth > 0) {
        return;
    }
    for (const QPointer<QWindow>& window : state.loweredWindows) {
        if (window) {
            window->setFlag(Qt::WindowStaysOnTopHint, true);
        }
    }
    state.loweredWindows.clear();
}

void TopMostLowering::lowerShownWindows() {
    ProgramState& state = programState();
    if (state.topMostLoweringDepth == 0) {
        return;
    }
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->flags().testFlag(Qt::WindowStaysOnTopHint)) {
            window->setFlag(Qt::WindowStaysOnTopHint, false);
            state.loweredWindows.emplace_back(window);
        }
    }
}

}  // namespace veltrop
