#pragma once
// Fitting a solute's xi, a and b to measurements.  At a fixed state of
// water every property a fit takes (lnkH, GTaqua, S2, V2, Cp2, HTaqua, and
// ln K for K) is an affine function of xi, a and b, so the fit is a weighted linear
// least-squares problem.  Its design comes from running the case at four
// parameter points per state (the origin and the three unit points), the
// fitted values from running it again at the fitted parameters: nothing of
// the model is written out here.

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/errors.h"
#include "fit/fit_data.h"
#include "solute/catalogue.h"

namespace aqvis {

// The parameters in their order: xi, a (Coef1), b (Coef2).
inline constexpr std::array<const char*, 3> kFitParameterNames = {"xi", "a", "b"};

struct FitOptions {
    std::array<std::optional<double>, 3> fixed;  // xi, a, b held at these values
    // True when the sigmas are standard uncertainties: the covariance is
    // (J^T W J)^-1 as it stands.  False when they are only relative weights
    // (no sigma given): it is scaled by chi2/dof, the scatter estimating them.
    bool sigma_known = false;
    // Asked between the cases the fit runs; true abandons the fit with
    // FitStopped (a caller's Ctrl-C).  Empty: the fit runs to its end.
    std::function<bool()> stop_requested = {};
};

struct FitRow {
    FitPoint point;
    bool used = false;                    // computed and part of the fit
    std::optional<double> pressure_used;  // bar, once the state of water was set
    double fitted = 0.0;                  // the property at the fitted parameters, when used
    double residual = 0.0;                // value - fitted, when used
    std::optional<double> start;          // the property with the solute's own parameters
    ErrorKind kind = ErrorKind::TypeMismatch;  // when not used: why
    std::string error;
    std::string warning;  // what a front end says about the state ("": nothing); it fills it in
};

struct PropertyRms {
    FitProperty property = FitProperty::lnkH;
    int count = 0;
    double rms = 0.0;                 // of value - fitted over the used rows
    std::optional<double> rms_start;  // the same with the solute's own parameters
};

struct FitResult {
    std::string formula;
    std::array<double, 3> start{};  // the solute's own xi, a, b (NaN: none, left empty in the catalogue)
    std::array<double, 3> value{};  // fitted, or held where fixed
    std::array<bool, 3> fixed{};
    // Standard errors, covariance and correlation; zero for a fixed
    // parameter.  Absent (has_uncertainty false) when the sigmas are not
    // known and no degree of freedom is left to estimate them.
    bool has_uncertainty = false;
    bool covariance_scaled = false;  // scaled by chi2/dof
    std::array<double, 3> standard_error{};
    std::array<std::array<double, 3>, 3> covariance{}, correlation{};
    double chi2 = 0.0;  // sum of squared weighted residuals (of ln K for K)
    int n = 0;          // points used
    int dof = 0;        // n - free parameters
    // Why a number is missing: a covariance (or chi2) beyond the range of a
    // double for the sigmas given.  Empty normally.
    std::string note;
    std::vector<PropertyRms> rms;  // per property present, in Fit_Properties order
    std::vector<FitRow> rows;      // every point, in the given order

    int failed() const;  // points left out
};

// A fit that cannot give parameters: no point computed, fewer points than
// free parameters, a singular design.  The message says why.
class FitError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A fit abandoned because FitOptions::stop_requested said so.
class FitStopped : public std::exception {
public:
    const char* what() const noexcept override { return "the fit was stopped"; }
};

// Fits the free parameters of `solute` to `points`.  Points whose state the
// calculation cannot do, or whose temperature or pressure is not a finite
// number (type_mismatch), are kept in the result's rows, marked unused with
// their error.  The parameters do not depend on a common scale of the
// sigmas.  Throws FitError, also for a point whose value is not finite,
// whose sigma is not positive or whose K is not positive; never returns a
// parameter that is not finite.
FitResult Fit_Solute(const CatalogueEntry& solute, std::span<const FitPoint> points,
                     const FitOptions& options = {});

}  // namespace aqvis
