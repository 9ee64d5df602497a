#pragma once
// The figure of a fit: for each property fitted, the data and the fitted
// curve against temperature (or pressure), and below it the residuals.

#include <string>
#include <vector>

#include "plot/plot.h"
#include "results/members.h"

namespace aqvis::plot {

struct FitPlotProperty {
    const Member* member = nullptr;          // names the panels
    std::vector<double> data_x, data_y;      // the points used in the fit
    std::vector<double> residual;            // data - fitted at data_x
    std::vector<double> curve_x, curve_y;    // the fitted curve; NaN between its pieces
};

struct FitPlotData {
    std::string title;
    bool against_pressure = false;  // x is the pressure used, in bar; else temperature in degC
    std::vector<FitPlotProperty> properties;
    int width = 0, height = 0;  // pixels; 0 = default
};

Figure Fit_Figure(const FitPlotData& data);

}  // namespace aqvis::plot
