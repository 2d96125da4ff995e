#pragma once

#include <vector>

namespace veltrop::band_row {

// Width arithmetic of one row of a band bar. Every band keeps a wanted width and a
// minimum; the row always fills the bar exactly: the last band takes what is left,
// and when the row is too long the bands give way from right to left.

// The widths the bands get in a row of the given length.
std::vector<int> fit(const std::vector<int>& wanted, const std::vector<int>& minimum,
                     int available);

// Moves the edge between band `left` and the one after it by delta (as far as their
// minimums allow); returns the new wanted widths, which equal the widths shown.
std::vector<int> moveEdge(const std::vector<int>& wanted, const std::vector<int>& minimum,
                          int available, int left, int delta);

// Gives one band all the room the others can spare by shrinking to their minimums.
std::vector<int> maximize(const std::vector<int>& minimum, int available, int band);

}  // namespace veltrop::band_row
