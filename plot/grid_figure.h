#pragma once
// The figure of a grid of cases (solutes x pressures x temperatures): one
// panel per member, one curve per solute and pressure (or temperature).

#include <string>
#include <vector>

#include "plot/plot.h"
#include "results/members.h"

namespace aqvis::plot {

struct GridPlotData {
    std::vector<std::string> solutes;  // formulas, in grid order
    std::vector<double> temps;         // degC
    std::vector<double> pressures;     // bar; 0 = saturation pressure
    std::vector<const Member*> members;  // one panel each, top to bottom
    // values[m][i] of member m at point i = (solute * pressures + pressure) *
    // temps + temperature; NaN where the case failed.
    std::vector<std::vector<double>> values;
    bool against_pressure = false;     // curves over pressure at each temperature
    std::vector<double> pressure_used; // [i], the pressure used (saturation for 0), when against_pressure
    int width = 0, height = 0;         // pixels; 0 = default
    std::string curve_unit = "bar";    // of the `pressures` axis (0 bar: saturation)
    EnergyUnit energy = EnergyUnit::Cal;  // of the values of energies, entropies and heat capacities
};

Figure Grid_Figure(const GridPlotData& data);

}  // namespace aqvis::plot
