#include "platform/band_row.h"

#include <algorithm>
#include <numeric>

namespace veltrop::band_row {

std::vector<int> fit(const std::vector<int>& wanted, const std::vector<int>& minimum,
                     int available) {
    std::vector<int> widths(wanted.size());
    if (widths.empty()) {
        return widths;
    }
    for (std::size_t i = 0; i < widths.size(); ++i) {
        widths[i] = std::max(wanted[i], minimum[i]);
    }
    const std::size_t last = widths.size() - 1;
    const int others = std::accumulate(widths.begin(), widths.begin() + last, 0);
    widths[last] = std::max(minimum[last], available - others);
    int excess = others + widths[last] - available;
    for (std::size_t i = last; excess > 0 && i-- > 0;) {
        const int give = std::min(excess, widths[i] - minimum[i]);
        widths[i] -= give;
        excess -= give;
    }
    return widths;
}

std::vector<int> moveEdge(const std::vector<int>& wanted, const std::vector<int>& minimum,
                          int available, int left, int delta) {
    std::vector<int> widths = fit(wanted, minimum, available);
    const std::size_t a = static_cast<std::size_t>(left);
    if (a + 1 >= widths.size()) {
        return widths;
    }
    const int pair = widths[a] + widths[a + 1];
    const int movedTo =
        std::clamp(widths[a] + delta, minimum[a], std::max(minimum[a], pair - minimum[a + 1]));
    widths[a] = movedTo;
    widths[a + 1] = pair - movedTo;
    return widths;
}

std::vector<int> maximize(const std::vector<int>& minimum, int available, int band) {
    std::vector<int> widths = minimum;
    const std::size_t b = static_cast<std::size_t>(band);
    const int others = std::accumulate(minimum.begin(), minimum.end(), 0) - minimum[b];
    widths[b] = std::max(minimum[b], available - others);
    return widths;
}

}  // namespace veltrop::band_row
