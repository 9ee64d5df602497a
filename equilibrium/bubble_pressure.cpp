// The bubble pressure: the total pressure at which a liquid of given
// molality is saturated with the solute.

#include <cmath>

#include "core/constants.h"
#include "equilibrium/equilibrium_point.h"
#include "equilibrium/liquid_side.h"
#include "equilibrium/solubility.h"

namespace aqvis {

namespace {

// Evaluations of the pressure before a point is given up.
constexpr int kMaxPressureSteps = 200;

// The equilibrium at pressure P.
std::optional<CalcError> point_at(const SolubilitySolute& s, double TC, double P, CaseResult& scratch,
                                  SolubilityValues& v)
{
    LiquidSide L;
    if (auto e = Liquid_Side(s.liquid, TC, P, scratch, L)) return e;
    return Equilibrium_Point(s, L, TC, v);
}

// The root of h(ln P) = ln(x(P) / x_target), kept between the highest
// pressure known to give too little solute (`lo`, the saturation pressure
// at first) and the lowest known to give too much (`hi`, none at first).
struct Search {
    double lo, hi = 0.0;          // bar; hi 0: none yet
    double u_prev = 0.0, h_prev = 0.0;
    bool have_prev = false;

    // The next pressure after h(ln P) = h.
    double Next(double P, double h)
    {
        const double u = std::log(P);
        (h < 0.0 ? lo : hi) = P;
        double next = u - h;  // x grows about as P does
        if (have_prev && h != h_prev) next = u - h * (u - u_prev) / (h - h_prev);
        u_prev = u;
        h_prev = h;
        have_prev = true;
        const double ulo = std::log(lo);
        if (hi == 0.0) return std::exp(std::fmax(next, u + 0.01));
        const double uhi = std::log(hi);
        if (!(next > ulo && next < uhi)) next = 0.5 * (ulo + uhi);
        return std::exp(next);
    }
};

}  // namespace

void Bubble_Pressure(const SolubilitySolute& s, double TC, double molality, SolubilityResult& r,
                     CaseResult& scratch)
{
    r = SolubilityResult{};
    r.v.TC = TC;
    r.v.molality = molality;
    const auto fail = [&r](const CalcError& e) {
        r.kind = e.kind();
        r.error = e.what();
    };
    if (!(molality > 0.0 && std::isfinite(molality)))
        return fail(CalcError(ErrorKind::NoTwoPhase, "a bubble pressure needs a molality above 0 mol/kg"));
    if (auto e = Check_Two_Phase(TC, 1.0)) return fail(*e);
    const double Mw = kMolarMassWater;
    const double target = Mole_Fraction_Of(molality, Mw);
    if (!(target > 0.0 && target < 1.0))
        return fail(CalcError(ErrorKind::NoTwoPhase, "a molality this large has no bubble pressure"));

    // At the saturation pressure (0 bar for a case) first: there x is 0.
    LiquidSide sat;
    if (auto e = Liquid_Side(s.liquid, TC, 0.0, scratch, sat)) return fail(*e);
    Search search{sat.Psat};
    double P = sat.Psat + target * std::exp(sat.lnkH);
    for (int k = 0; k < kMaxPressureSteps; ++k) {
        P = std::fmin(P, kMaxBubblePressure);
        if (auto e = point_at(s, TC, P, scratch, r.v)) return fail(*e);
        const double h = std::log(r.v.x / target);
        if (h < 0.0 && P >= kMaxBubblePressure) break;
        const double next = std::fabs(h) <= kSolubilityTolerance ? P : search.Next(P, h);
        if (std::fabs(next - P) <= kSolubilityTolerance * P) {
            r.v.TC = TC;
            r.v.molality = Molality_Of(r.v.x, Mw);
            r.ok = true;
            r.warning = Range_Warning(r.v, s.solute, TC + kZeroCelsius);
            return;
        }
        P = next;
    }
    fail(CalcError(ErrorKind::NoTwoPhase, "no pressure up to 10000 bar holds that much solute in the liquid" +
                                              State_Point_Text(TC, P)));
}

}  // namespace aqvis
