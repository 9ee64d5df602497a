#pragma once
// The outcome of `aqvis-cli fit` as a person reads it (fit/fit_json.h gives
// it as JSON).

#include <string>

#include "fit/fit.h"

namespace aqvis::cli {

// The readable report: parameters with their standard errors and the
// solute's own values, covariance and correlation, chi2, RMS per property,
// and one line per data point (the points left out with the reason).
void Append_Fit_Text(std::string& out, const FitResult& r);

}  // namespace aqvis::cli
