#include "driver/uncertainty.h"

#include <algorithm>
#include <cmath>

#include "core/errors.h"

namespace aqvis {

AqueousGradients Parameter_Gradients(const CalcValues& v) { return Aqueous_Gradients(v, v.vapour, v.lnfH2O); }

namespace {

// An uncertainty too large for a double is a failed case, never an
// infinity written as null or as a number.
double Finite_Uncertainty(double u)
{
    if (!std::isfinite(u))
        throw CalcError(ErrorKind::Overflow,
                        "Overflow: a propagated uncertainty is out of range (the covariance of xi, a and b is too "
                        "large for this state)");
    return u;
}

}  // namespace

double Propagated_Uncertainty(const ParameterGradient& g, const ParameterCovariance& c)
{
    double variance = 0.0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) variance += g[i] * c.m[i][j] * g[j];
    return Finite_Uncertainty(std::sqrt(std::max(variance, 0.0)));
}

CaseUncertainties Case_Uncertainties(const CalcValues& v, const DerivedValues& d, const ParameterCovariance& c)
{
    const AqueousGradients g = Parameter_Gradients(v);
    CaseUncertainties u;
    u.lnkH = Propagated_Uncertainty(g.lnkH, c);
    u.K = Finite_Uncertainty(d.K * u.lnkH);
    u.GTaqua = Propagated_Uncertainty(g.GTaqua, c);
    u.S2 = Propagated_Uncertainty(g.S2, c);
    u.V2 = Propagated_Uncertainty(g.V2, c);
    u.Cp2 = Propagated_Uncertainty(g.Cp2, c);
    ParameterGradient h;
    for (int i = 0; i < 3; ++i) h[i] = g.GTaqua[i] + v.TK * g.S2[i];
    u.HTaqua = Propagated_Uncertainty(h, c);
    u.GTaquaJ = Joule_Value(u.GTaqua);
    u.S2J = Joule_Value(u.S2);
    u.Cp2J = Joule_Value(u.Cp2);
    return u;
}

std::string No_Uncertainty_Reason(const CatalogueEntry& record, bool parameters_given)
{
    if (!record.covariance)
        return record.Formula + " has no covariance of xi, a and b" +
               (record.built_in ? " (the built-in solutes have none)" : " in its catalogue");
    if (parameters_given)
        return "the covariance of " + record.Formula +
               " is that of its catalogue values of xi, a and b, not of values given instead";
    return {};
}

void Add_Uncertainties(CaseResult& r)
{
    if (!r.ok || !r.values.covariance) return;
    try {
        r.derived.u = Case_Uncertainties(r.values, r.derived, *r.values.covariance);
    } catch (const CalcError& e) {
        r.Fail(e);
    }
}

}  // namespace aqvis
