#include "water/saturation.h"

#include <cmath>

#include "core/fp.h"
#include "core/value_memo.h"

namespace aqvis {

namespace {

// t = 1 - TK/Tcr and the vapour pressure at TK <= Tcr; Psat is written by its
// last statement.
void vapour_pressure(const CalcState& s, double& tau, double& Psat)
{
    const double* a = s.psatCoef();
    if (s.TK < s.Tcr) AQ_SET(tau, 1.0 - s.TK / s.Tcr);
    double S;
    AQ_SET(S, a[2] * std::pow(tau, 1.5) + a[1] * tau);
    AQ_SET(S, S + a[3] * std::pow(tau, 3.0));
    AQ_SET(S, S + a[4] * std::pow(tau, 3.5));
    AQ_SET(S, S + a[5] * std::pow(tau, 4.0));
    AQ_SET(S, S + a[6] * std::pow(tau, 7.5));
    AQ_SET(Psat, s.Pcr * std::exp((s.Tcr / s.TK) * S));
}

// Kept per temperature and thread; a checked replay forms it again.
struct VapourPressure {
    double tau, Psat;
};
thread_local ValueMemo<VapourPressure, 9, 8> kept_vapour_pressure;

}  // namespace

void Saturation_Values(CalcState& s)
{
    const double* a = s.psatCoef();
    const double* b = s.dsatCoef();

    // Vapour pressure, ln(Psat/Pcr) = (Tcr/TK) (a1 t + a2 t^1.5 + a3 t^3 + a4 t^3.5
    // + a5 t^4 + a6 t^7.5) with t = 1 - TK/Tcr.  At TK = Tcr exactly, t = 0 and
    // the equation gives Pcr.  Above Tcr there is no saturation curve and Psat
    // is left alone (the start density then comes from the ideal gas).
    double tau = 0.0;
    if (s.TK <= s.Tcr) {
        if (fp::strict) {
            vapour_pressure(s, tau, s.Psat);
        } else {
            const double c[8] = {s.Tcr, s.Pcr, a[1], a[2], a[3], a[4], a[5], a[6]};
            kept_vapour_pressure.Match(c);
            const VapourPressure& v = kept_vapour_pressure.Get(
                s.TK, [&s](VapourPressure& w) {
                    w.tau = 0.0;
                    vapour_pressure(s, w.tau, w.Psat);
                });
            tau = v.tau;
            s.Psat = v.Psat;
        }
    }

    // Below the saturation pressure the calculation is made at saturation.
    if (s.Pbar < s.Psat) s.Pbar = s.Psat;

    if (s.Pbar == s.Psat) {
        // Saturated-liquid density, rho'/rho_c.
        AQ_SET(s.ro, 1.0 + b[1] * std::pow(tau, 1.0 / 3.0) + b[2] * std::pow(tau, 2.0 / 3.0) +
                         b[3] * std::pow(tau, 5.0 / 3.0) + b[4] * std::pow(tau, 16.0 / 3.0) +
                         b[5] * std::pow(tau, 43.0 / 3.0) + b[6] * std::pow(tau, 110.0 / 3.0));
        return;
    }

    // Compressed liquid: empirical molar volume (cm3/mol) of the pressure band.
    const double t = s.TK;
    if (s.Pbar <= 1000.0)
        AQ_SET(s.Vs, 116.271 - 1.03596 * t + 0.00390561 * (t * t) - 6.2842e-6 * std::pow(t, 3.0) +
                         3.7039e-9 * std::pow(t, 4.0));
    else if (s.Pbar <= 2000.0)
        AQ_SET(s.Vs, 5.851212 + 0.0822269 * t - 0.000199974 * (t * t) + 1.82853e-7 * std::pow(t, 3.0));
    else if (s.Pbar <= 3000.0)
        AQ_SET(s.Vs, 23.666 - 0.04115 * t + 6.96e-5 * (t * t) - 1.462e-8 * std::pow(t, 3.0));
    else if (s.Pbar <= 5000.0)
        AQ_SET(s.Vs, 13.956 + 0.002059 * t + 1.3935e-5 * (t * t));
    else if (s.Pbar <= 10000.0)
        AQ_SET(s.Vs, 13.737 + 0.0032645 * t + 4.822e-6 * (t * t));
    else
        AQ_SET(s.Vs, 11.894 + 0.007639 * t);
    AQ_SET(s.ro, 18.0152 / s.Vs / s.dcr);
}

}  // namespace aqvis
