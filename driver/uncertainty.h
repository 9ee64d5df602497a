#pragma once
// The standard uncertainty of a case's solute properties from the
// covariance of the solute's parameters xi, a and b.  At a fixed state of
// water every property is affine in the parameters (ln K for K), so its
// variance is exactly g Σ gᵀ, g the property's gradient: no sampling, no
// linearisation error.

#include <string>

#include "driver/calculation.h"
#include "driver/case_runner.h"
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


// The uncertainties of a computed case with derived values `d`.  Throws
// CalcError(Overflow) for one beyond the range of a double.
CaseUncertainties Case_Uncertainties(const CalcValues& v, const DerivedValues& d, const ParameterCovariance& c);

// Why the properties of `record` have no standard uncertainty, or "" when
// they have one: the record has no covariance, or xi, a or b was given in
// place of its own (the covariance is that of the record's values).  A
// sentence a front end completes with its hint.
std::string No_Uncertainty_Reason(const CatalogueEntry& record, bool parameters_given);

// Propagates the covariance of a computed case's solute into r.derived.u;
// leaves it NaN when the solute has none (Prepare_Solute drops it when xi,
// a or b is given).  A propagation that overflows fails the case.
void Add_Uncertainties(CaseResult& r);

}  // namespace aqvis
