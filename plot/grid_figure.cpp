#include "plot/grid_figure.h"

#include <charconv>
#include <cctype>
#include <cstddef>

namespace aqvis::plot {

namespace {

std::string general(double v)
{
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, v == 0.0 ? 0.0 : v,
                                 std::chars_format::general, 10);
    return std::string(buf, r.ptr);
}

std::string pressure_text(double p, const std::string& unit = "bar")
{
    if (p == 0.0 && unit == "bar") return "saturation";
    return general(p) + " " + unit;
}

std::string temperature_text(double t) { return general(t) + " \xC2\xB0" "C"; }

// The figure's title: the one pressure (or temperature) all curves share,
// and the solute where there is one.
std::string figure_title(const GridPlotData& d)
{
    std::string title;
    if (!d.against_pressure && d.pressures.size() == 1)
        title = d.pressures[0] == 0.0 && d.curve_unit == "bar" ? "along the saturation curve of water"
                                       : "at " + pressure_text(d.pressures[0], d.curve_unit);
    else if (d.against_pressure && d.temps.size() == 1)
        title = "at " + temperature_text(d.temps[0]);
    if (!title.empty()) {
        if (d.solutes.size() == 1)
            title = d.solutes[0] + " " + title;
        else
            title[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(title[0])));
    }
    return title;
}

// The curve of solute `si` at the `o`-th pressure (or temperature, against
// pressure) of member values `values`.
Series curve(const GridPlotData& d, const std::vector<double>& values, std::size_t si, std::size_t o)
{
    const std::size_t nS = d.solutes.size(), nP = d.pressures.size(), nT = d.temps.size();
    const std::size_t per_solute = nP * nT;
    const bool by_pressure = d.against_pressure;
    const std::size_t n_other = by_pressure ? nT : nP;
    Series s;
    const std::string other =
        by_pressure ? temperature_text(d.temps[o]) : pressure_text(d.pressures[o], d.curve_unit);
    if (nS > 1 && n_other > 1)
        s.label = d.solutes[si] + ", " + other;
    else if (nS > 1)
        s.label = d.solutes[si];
    else
        s.label = other;
    if (by_pressure) {
        for (std::size_t pi = 0; pi < nP; ++pi) {
            const std::size_t i = si * per_solute + pi * nT + o;
            s.x.push_back(d.pressure_used[i]);
            s.y.push_back(values[i]);
        }
    } else {
        const std::size_t base = si * per_solute + o * nT;
        s.x = d.temps;
        s.y.assign(values.begin() + static_cast<std::ptrdiff_t>(base),
                   values.begin() + static_cast<std::ptrdiff_t>(base + nT));
    }
    return s;
}

}  // namespace

Figure Grid_Figure(const GridPlotData& d)
{
    Figure fig;
    const int panels = static_cast<int>(d.members.size());
    fig.width = d.width > 0 ? d.width : 900;
    fig.height = d.height > 0 ? d.height : 600 + 300 * (panels - 1);
    fig.x_title = d.against_pressure ? "Pressure (bar)" : "Temperature (\xC2\xB0" "C)";
    fig.title = figure_title(d);
    const std::size_t n_other = d.against_pressure ? d.temps.size() : d.pressures.size();
    for (std::size_t k = 0; k < d.members.size(); ++k) {
        const Member& m = *d.members[k];
        Panel panel;
        panel.y_short_title = m.name;
        const char* unit = Member_Unit(m, d.energy, true);
        if (*unit) panel.y_short_title += std::string(" (") + unit + ")";
        panel.y_title = std::string(m.meaning) + ", " + panel.y_short_title;
        for (std::size_t si = 0; si < d.solutes.size(); ++si)
            for (std::size_t o = 0; o < n_other; ++o) panel.series.push_back(curve(d, d.values[k], si, o));
        fig.panels.push_back(std::move(panel));
    }
    // One curve that the title already names needs no legend.
    fig.legend = !fig.panels.empty() && !(fig.panels.front().series.size() == 1 && !fig.title.empty());
    return fig;
}

}  // namespace aqvis::plot
