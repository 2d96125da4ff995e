#pragma once

namespace veltrop {

// While at least one of these lives, every always-on-top window of the program is
// lowered to normal stacking, so that dialogs and message boxes appear above it;
// when the last one ends, the lowered windows float again.
class TopMostLowering {
public:
    TopMostLowering();
    ~TopMostLowering();
    TopMostLowering(const TopMostLowering&) = delete;
    TopMostLowering& operator=(const TopMostLowering&) = delete;

    // Lowers the always-on-top windows shown since the lowering began.
    static void lowerShownWindows();
};

}  // namespace veltrop
