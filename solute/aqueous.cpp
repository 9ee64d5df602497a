#include "solute/aqueous.h"

#include <cmath>

#include "core/fp.h"
#include "core/value_memo.h"

namespace aqvis {

namespace {

// Powers of the absolute temperature, kept per temperature and thread: a
// checked replay forms them again statement by statement.
struct TemperatureRoots {
    double sqT, isqT, isqT3, sq1000T;
};
thread_local ValueMemo<TemperatureRoots, 9> kept_roots;

}  // namespace

void Water_Fugacity(CalcState& s)
{
    AQ_SET(s.lnfH2O, (s.GH2O - s.GTH2Ogas) / s.RGascal / s.TK);
}

void Aqueous_Values(CalcState& s)
{
    const double T = s.TK;
    const double rho = s.dH2O, rhoT = s.ddH2OdTK, rhoTT = s.d2dH2OdTK2, rhoP = s.ddH2OdPbar;
    const double a = s.Coef1, b = s.Coef2, xi = s.Xi;
    const double R = s.RGascal, Rp = s.RGasJbar, Mw = s.MH2O;
    double kappa, sqT, isqT, isqT3, sq1000T, Lrho, Lm;
    AQ_SET(kappa, std::pow(10.0, 1.5));  // square root of 1000
    if (fp::strict) {
        AQ_SET(sqT, std::pow(T, 0.5));
        AQ_SET(isqT, std::pow(T, -0.5));
        AQ_SET(isqT3, std::pow(T, -1.5));
        sq1000T = std::pow(1000.0 / T, 0.5);  // checked with dB12
    } else {
        const TemperatureRoots& r = kept_roots.Get(T, [T](TemperatureRoots& v) {
            v.sqT = std::pow(T, 0.5);
            v.isqT = std::pow(T, -0.5);
            v.isqT3 = std::pow(T, -1.5);
            v.sq1000T = std::pow(1000.0 / T, 0.5);
        });
        sqT = r.sqT;
        isqT = r.isqT;
        isqT3 = r.isqT3;
        sq1000T = r.sq1000T;
    }

    // Cross term Phi = T 2 rho dB with dB = (a + b (1000/T)^0.5) / 2.
    AQ_SET(s.dB12, (b * sq1000T + a) * 0.5);
    AQ_SET(s.dB12d, 2.0 * rho * s.dB12);
    AQ_SET(s.TdB12d, s.dB12d * T);
    AQ_SET(s.dTdB12ddP, (kappa * b * sqT + a * T) * rhoP);
    AQ_SET(s.dTdB12ddT, a * (T * rhoT + rho) + b * (kappa * sqT * rhoT + 0.5 * kappa * isqT * rho));
    AQ_SET(s.d2TdB12ddT2, a * (T * rhoTT + 2.0 * rhoT) +
                              b * (kappa * sqT * rhoTT + kappa * isqT * rhoT -
                                   0.25 * kappa * isqT3 * rho));

    // Henry constant and the standard properties in the molality scale.
    AQ_SET(Lrho, fp::xlog(Rp * T * rho / Mw));
    AQ_SET(Lm, fp::xlog(1000.0 / Mw));
    AQ_SET(s.lnkH, (1.0 - xi) * s.lnfH2O + xi * Lrho + s.dB12d);
    AQ_SET(s.GTaqua, s.GTgas - R * T * Lm + R * T * (1.0 - xi) * s.lnfH2O + R * T * xi * Lrho +
                         R * s.TdB12d);
    double lnT, lnRho;
    AQ_SET(lnT, fp::xlog(Rp * T / Mw));
    AQ_SET(lnRho, fp::xlog(rho));
    AQ_SET(s.S2, s.STgas + R * Lm + (1.0 - xi) * (s.SH2O - s.STH2Ogas) -
                     R * xi * (lnT + 1.0 + lnRho + T * rhoT / rho) - R * s.dTdB12ddT);
    AQ_SET(s.V2, Rp * xi * T * rhoP / rho + (1.0 - xi) * s.VH2O + Rp * s.dTdB12ddP);
    AQ_SET(s.Cp2, s.Cpgas + (1.0 - xi) * (s.CpH2O - s.CpH2Ogas) -
                      R * xi *
                          (1.0 + 2.0 * T * rhoT / rho - T * T * (rhoT * rhoT) / (rho * rho) +
                           T * T * rhoTT / rho) -
                      R * T * s.d2TdB12ddT2);
}

}  // namespace aqvis
