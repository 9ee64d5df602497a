#pragma once
// Line plots written as SVG or PNG without a display.  No Qt type appears in
// this header: callers hand over plain numbers and texts.

#include <string>
#include <string_view>
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
// it (owner and mode kept, symbolic links written through).  The drawing is
// done by the plot module, loaded on first use (Load_Plot_Module).  Where
// Qt cannot start its platform plugin the program says that the plot cannot
// be drawn and ends with status 1, output written so far kept.  Throws
// std::runtime_error naming the file and the reason when it cannot be
// written, or saying that the plot cannot be drawn when the module cannot
// be loaded (std::bad_alloc when memory runs out).
void Write_Figure(const Figure& figure, const std::string& path);

// Loads the plot module (aqvis-plot.so, in the folder the build or the
// installation puts beside the program's: lib/aqvis/modules under the
// prefix) unless it is loaded.  Throws std::runtime_error("cannot draw the plot: ...") when
// it is missing, cannot be loaded or is not the module of this build.
void Load_Plot_Module();

// The extension of a file name in lower case ("png" for "a.PNG"), "" for none.
inline std::string Plot_Extension(std::string_view path)
{
    const auto dot = path.find_last_of('.');
    const auto slash = path.find_last_of('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return "";
    std::string ext(path.substr(dot + 1));
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

}  // namespace aqvis::plot
