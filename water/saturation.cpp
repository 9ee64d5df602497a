#include "water/saturation.h"

#include <cmath>

#include "core/constants.h"
#include "core/fp.h"
#include "core/value_memo.h"
#include "water/constants.h"

namespace aqvis {

namespace {

// Vapour-pressure equation of Saul and Wagner (1987), a1..a6 (index 0 unused):
// ln(Psat/Pcr) = (Tcr/TK) (a1 t + a2 t^1.5 + a3 t^3 + a4 t^3.5 + a5 t^4 + a6 t^7.5)
// with t = 1 - TK/Tcr, evaluated here with the critical constants of
// water/constants.h.
constexpr double kPsat[7] = {0.0, -7.85823, 1.83991, -11.7811, 22.6705, -15.9393, 1.77516};

// Saturated-liquid density equation of Saul and Wagner (1987), b1..b6 (index 0 unused):
// rho'/rho_c = 1 + b1 t^(1/3) + b2 t^(2/3) + b3 t^(5/3) + b4 t^(16/3) + b5 t^(43/3) + b6 t^(110/3).
constexpr double kDsat[7] = {0.0, 1.99206, 1.10123, -0.512506, -1.75263, -45.4485, -675615.0};

// Starting molar volume of compressed liquid water, cm³/mol, a polynomial in
// TK of the pressure band whose upper limit (bar, inclusive) is the first
// that Pbar does not exceed: c0 + c1 t + c2 t^2 + c3 t^3 + c4 t^4 with the
// `degree` first terms.  These are the program's own empirical fits; their
// origin is not recorded.  They only start the Newton iteration, whose
// solution does not depend on them.
struct VolumeBand {
    double top;
    int degree;
    double c[5];
};
constexpr VolumeBand kVolumeBands[] = {
    {1000.0, 4, {116.271, -1.03596, 0.00390561, -6.2842e-6, 3.7039e-9}},
    {2000.0, 3, {5.851212, 0.0822269, -0.000199974, 1.82853e-7, 0.0}},
    {3000.0, 3, {23.666, -0.04115, 6.96e-5, -1.462e-8, 0.0}},
    {5000.0, 2, {13.956, 0.002059, 1.3935e-5, 0.0, 0.0}},
    {10000.0, 2, {13.737, 0.0032645, 4.822e-6, 0.0, 0.0}},
    {HUGE_VAL, 1, {11.894, 0.007639, 0.0, 0.0, 0.0}},
};

// t = 1 - TK/Tcr and the vapour pressure at TK <= Tcr; Psat is written by its
// last statement.
void vapour_pressure(double TK, double& tau, double& Psat)
{
    const double* a = kPsat;
    using water::Pcr, water::Tcr;
    if (TK < Tcr) AQ_SET(tau, 1.0 - TK / Tcr);
    double S;
    AQ_SET(S, a[2] * std::pow(tau, 1.5) + a[1] * tau);
    AQ_SET(S, S + a[3] * std::pow(tau, 3.0));
    AQ_SET(S, S + a[4] * std::pow(tau, 3.5));
    AQ_SET(S, S + a[5] * std::pow(tau, 4.0));
    AQ_SET(S, S + a[6] * std::pow(tau, 7.5));
    AQ_SET(Psat, Pcr * std::exp((Tcr / TK) * S));
}

// Kept per temperature and thread; a checked replay forms it again.
struct VapourPressure {
    double tau, Psat;
};
thread_local ValueMemo<VapourPressure, 9> kept_vapour_pressure;

double band_volume(double Pbar, double t)
{
    const VolumeBand* band = kVolumeBands;
    while (Pbar > band->top) ++band;
    const double* c = band->c;
    double v = c[0] + c[1] * t;
    if (band->degree >= 2) v = v + c[2] * (t * t);
    if (band->degree >= 3) v = v + c[3] * std::pow(t, 3.0);
    if (band->degree >= 4) v = v + c[4] * std::pow(t, 4.0);
    return v;
}

}  // namespace

WaterStart Water_Start(double TK, double Pbar)
{
    using water::dcr;
    constexpr double MH2O = kMolarMassWater;
    WaterStart s{0.0, Pbar, 0.0};
    if (TK > water::Tcr) {
        // Above the critical temperature: the ideal-gas density.
        double Vs;
        AQ_SET(Vs, kGasConstantCm3Bar * TK / Pbar);
        AQ_SET(s.ro, (MH2O / Vs) / dcr);
        return s;
    }

    // At TK = Tcr exactly, t = 0 and the vapour-pressure equation gives Pcr.
    double tau = 0.0;
    if (fp::strict) {
        vapour_pressure(TK, tau, s.Psat);
    } else {
        const VapourPressure& v = kept_vapour_pressure.Get(TK, [TK](VapourPressure& w) {
            w.tau = 0.0;
            vapour_pressure(TK, w.tau, w.Psat);
        });
        tau = v.tau;
        s.Psat = v.Psat;
    }

    // Below the saturation pressure the calculation is made at saturation.
    if (s.Pbar < s.Psat) s.Pbar = s.Psat;

    if (s.Pbar == s.Psat) {
        const double* b = kDsat;
        AQ_SET(s.ro, 1.0 + b[1] * std::pow(tau, 1.0 / 3.0) + b[2] * std::pow(tau, 2.0 / 3.0) +
                         b[3] * std::pow(tau, 5.0 / 3.0) + b[4] * std::pow(tau, 16.0 / 3.0) +
                         b[5] * std::pow(tau, 43.0 / 3.0) + b[6] * std::pow(tau, 110.0 / 3.0));
        return s;
    }

    // Compressed liquid.
    double Vs;
    AQ_SET(Vs, band_volume(s.Pbar, TK));
    AQ_SET(s.ro, MH2O / Vs / dcr);
    return s;
}

}  // namespace aqvis
