#pragma once
// A fit's outcome as one JSON object, the form every front end gives it
// (`aqvis-cli fit --json`, aqvis.fit in Python).

#include <string>

#include "fit/fit.h"

namespace aqvis {

// Appends the object and a line end: solute, xi, a, b, fixed, start, stderr,
// covariance, correlation, covariance_from, chi2, dof, n, failed, note (only
// when there is one), rms, rms_start and rows (one object per point: line
// where known, temp, press, property, value, sigma, used, press_used where
// known, warning where there is one, then fitted and residual, or error and
// kind).
void Append_Fit_Json(std::string& out, const FitResult& r);

}  // namespace aqvis
