#include "plot/fit_figure.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace aqvis::plot {

Figure Fit_Figure(const FitPlotData& d)
{
    Figure fig;
    fig.title = d.title;
    fig.x_title = d.against_pressure ? "Pressure (bar)" : "Temperature (\xC2\xB0" "C)";
    const int n = static_cast<int>(d.properties.size());
    fig.width = d.width > 0 ? d.width : 900;
    fig.height = d.height > 0 ? d.height : 150 + 450 * std::max(n, 1);
    for (const FitPlotProperty& p : d.properties) {
        std::string unit = *p.member->plot_unit ? std::string(" (") + p.member->plot_unit + ")" : "";
        Panel values;
        values.y_short_title = p.member->name + unit;
        values.y_title = std::string(p.member->meaning) + ", " + values.y_short_title;
        values.series.push_back({"data", p.data_x, p.data_y, SeriesStyle::Points});
        values.series.push_back({"fitted", p.curve_x, p.curve_y, SeriesStyle::Line});
        fig.panels.push_back(std::move(values));

        Panel residuals;
        residuals.y_title = std::string(p.member->name) + ": data \xE2\x88\x92 fitted" + unit;
        residuals.y_short_title = "residual" + unit;
        residuals.series.push_back({"data", p.data_x, p.residual, SeriesStyle::Points});
        // The zero line across the data.
        double lo = std::numeric_limits<double>::infinity(), hi = -lo;
        for (const double x : p.data_x) lo = std::min(lo, x), hi = std::max(hi, x);
        residuals.series.push_back({"fitted", {lo, hi}, {0.0, 0.0}, SeriesStyle::LineOnly});
        fig.panels.push_back(std::move(residuals));
    }
    return fig;
}

}  // namespace aqvis::plot
