#pragma once
// The plot module, aqvis-plot.so: the one function it exports draws a figure
// into a file with Qt.  aqvis-cli loads the module when it is about to draw
// (plot.cpp), so that the program starts without Qt's libraries.  Both sides
// are built from this header in one build.

#include <string>

#include "plot/plot.h"

namespace aqvis::plot {

enum DrawStatus : int { kDrawn = 0, kDrawFailed = 1, kDrawOutOfMemory = 2 };

// Writes `figure` into `path` as Write_Figure does; on kDrawFailed
// `message` says why ("cannot write the plot <path>: <reason>").  Throws
// nothing.
using DrawFigureFunction = int(const Figure& figure, const std::string& path, std::string& message);

// Its name in the module.  The number goes up whenever Figure or the
// function's form changes, so that a module of another shape is refused
// instead of read wrongly.
#define AQVIS_PLOT_DRAW_FIGURE aqvis_plot_draw_figure_1
#define AQVIS_PLOT_TEXT_OF(name) #name
#define AQVIS_PLOT_TEXT(name) AQVIS_PLOT_TEXT_OF(name)
inline constexpr char kDrawFigureSymbol[] = AQVIS_PLOT_TEXT(AQVIS_PLOT_DRAW_FIGURE);

}  // namespace aqvis::plot
