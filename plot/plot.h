#pragma once
// Line plots written as SVG or PNG without a display.  No Qt type appears in
// this header: callers hand over plain numbers and texts.

#include <string>
#include <vector>

namespace aqvis::plot {

// One curve.  A value that is not finite (x or y) breaks the line there.
struct Series {
    std::string label;
    std::vector<double> x, y;
};

// One plotting area with its own y axis.  Every panel of a figure has the
// same curves in the same order (the legend is drawn once, from the first).
struct Panel {
    std::string y_title;
    std::string y_short_title;  // drawn instead when y_title is longer than the panel
    std::vector<Series> series;
};

// Panels are stacked from top to bottom and share the x axis.
struct Figure {
    std::string title;
    std::string x_title;
    std::vector<Panel> panels;
    int width = 900;   // pixels
    int height = 600;
    bool legend = true;  // the curves' labels, right of the panels
};

// Writes the figure as SVG or PNG, chosen by the extension of `path` (.svg
// or .png, any case).  Throws std::runtime_error naming the file and the
// reason when it cannot be written.
void Write_Figure(const Figure& figure, const std::string& path);

// Tick marks of an axis: round steps of 1, 2 or 5 times a power of ten,
// at most about `max_ticks` of them, covering [lo, hi].
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
