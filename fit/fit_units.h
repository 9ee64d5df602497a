#pragma once
// A fit in the units its data were given in: the points turned into degC,
// bar and calories for the fit, and the outcome turned back, with what the
// front end says about each point's state (outside the model's range, a
// pressure raised to the saturation pressure, a unit slip) and the sentence
// that explains each point left out.

#include <vector>

#include "fit/fit.h"
#include "results/units.h"

namespace aqvis {

// The points in degC, bar and calories.  Throws CalcError(FileError) "line
// N: ..." for a negative temperature given in kelvin.
std::vector<FitPoint> Points_In_Model_Units(const std::vector<FitPoint>& given, const Units& units);

// Puts the points as given back into `r` (whose rows are in their order),
// its fitted values, residuals, RMS and pressures used in the units given,
// each row's warning, and the explained error of each row left out.
void Result_In_Given_Units(FitResult& r, const std::vector<FitPoint>& given, const Units& units,
                           FrontEnd front_end);

}  // namespace aqvis
