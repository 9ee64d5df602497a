#pragma once
// The standard uncertainty of a case's solute properties from the
// covariance of the solute's parameters xi, a and b.  At a fixed state of
// water every property is affine in the parameters (ln K for K), so its
// variance is exactly g Σ gᵀ, g the property's gradient: no sampling, no
// linearisation error.

#include "driver/calculation.h"
#include "driver/derived.h"
#include "solute/aqueous.h"
#include "solute/parameter_covariance.h"

namespace aqvis {

// The gradients of the case's properties with respect to (xi, a, b), from
// its state of water.
AqueousGradients Parameter_Gradients(const CalcValues& v);

// √(g Σ gᵀ), the standard uncertainty of a property with gradient `g`; a
// variance below zero by round-off (a singular Σ) counts as zero.
double Propagated_Uncertainty(const ParameterGradient& g, const ParameterCovariance& c);

// Standard uncertainties, in the units of the values they belong to.
struct CaseUncertainties {
    double lnkH = 0.0;
    double K = 0.0;  // from ln K = ln(1000/MH2O) - lnkH: u(K) = K u(lnkH)
    double GTaqua = 0.0;
    double S2 = 0.0;
    double V2 = 0.0;
    double Cp2 = 0.0;
    double GTaquaJ = 0.0;  // the calorie uncertainties in joule
    double S2J = 0.0;
    double Cp2J = 0.0;
};

// The uncertainties of a computed case with derived values `d`.  Throws
// CalcError(Overflow) for one beyond the range of a double.
CaseUncertainties Case_Uncertainties(const CalcValues& v, const DerivedValues& d, const ParameterCovariance& c);

}  // namespace aqvis
