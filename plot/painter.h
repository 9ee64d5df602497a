#pragma once
// Inside the plot layer: a figure drawn onto a QPainter (an image or an SVG
// generator), for plot.cpp.

#include <QPainter>

#include "plot/plot.h"

namespace aqvis::plot {

void Paint_Figure(QPainter& p, const Figure& figure);

}  // namespace aqvis::plot
