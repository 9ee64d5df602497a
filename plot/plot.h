#pragma once
// Line plots written as SVG or PNG without a display.  No Qt type appears in
// this header: callers hand over plain numbers and texts.

#include <string>
#include <vector>

#include "plot/ticks.h"

namespace aqvis::plot {

// How a series is drawn: a line, with a mark at each point when there are
// few; marks alone (measurements); a line alone.
enum class SeriesStyle { Line, Points, LineOnly };

// One curve.  A value that is not finite (x or y) breaks the line there.
struct Series {
    std::string label;
    std::vector<double> x, y;
    SeriesStyle style = SeriesStyle::Line;
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
// or .png, any case).  The path's bytes are used as given.  The new file
// replaces the old one only once it is complete, as io/file_writer.h does
// it (owner and mode kept, symbolic links written through).  Where Qt
// cannot start its platform plugin the program says that the plot cannot be
// drawn and ends with status 1, output written so far kept.  Throws std::runtime_error
// naming the file and the reason when it cannot be written (std::bad_alloc
// when memory runs out).
void Write_Figure(const Figure& figure, const std::string& path);

}  // namespace aqvis::plot
