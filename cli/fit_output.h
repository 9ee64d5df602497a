#pragma once
// The outcome of `aqvis-cli fit` as a person reads it and as one JSON object.

#include <string>

#include "fit/fit.h"

namespace aqvis::cli {

// The readable report: parameters with their standard errors and the
// solute's own values, covariance and correlation, chi2, RMS per property,
// and one line per data point (the points left out with the reason).
void Append_Fit_Text(std::string& out, const FitResult& r);

// One JSON object with a trailing newline: xi, a, b, fixed, start, stderr,
// covariance, correlation, covariance_from, chi2, dof, n, failed, rms,
// rms_start and rows.
void Append_Fit_Json(std::string& out, const FitResult& r);

}  // namespace aqvis::cli
