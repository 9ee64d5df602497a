#pragma once
// Tick marks of a plot axis and their labels.  No Qt in here, so that the
// fuzz targets can take them alone.

#include <string>
#include <vector>

namespace aqvis::plot {

// Tick marks of an axis: round steps of 1, 2 or 5 times a power of ten, at
// most about `max_ticks` of them, covering [lo, hi].  Whatever the input
// (infinities, NaN, values a few units in the last place apart, subnormal
// numbers, the largest doubles) the result has lo < hi, a finite step above
// zero and between two and max_ticks + 3 finite values, in increasing order,
// from lo to hi.  A range too narrow to divide is widened around its middle.
struct Ticks {
    double lo = 0.0, hi = 1.0;  // the axis range (multiples of step)
    double step = 1.0;
    std::vector<double> values;
};
Ticks Nice_Ticks(double lo, double hi, int max_ticks);

// The text of a tick value: as many decimals as the step needs, a power of
// ten for magnitudes from a million up or steps below 1e-5, "0" for zero.
std::string Tick_Label(double value, const Ticks& ticks);

}  // namespace aqvis::plot
