#include "solute/aqueous.h"

#include <cmath>

#include "core/constants.h"
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

TemperatureRoots temperature_roots(double T)
{
    const auto form = [T](TemperatureRoots& v) {
        v.sqT = std::pow(T, 0.5);
        v.isqT = std::pow(T, -0.5);
        v.isqT3 = std::pow(T, -1.5);
        v.sq1000T = std::pow(1000.0 / T, 0.5);
    };
    if (!fp::strict) return kept_roots.Get(T, form);
    TemperatureRoots r;
    AQ_SET(r.sqT, std::pow(T, 0.5));
    AQ_SET(r.isqT, std::pow(T, -0.5));
    AQ_SET(r.isqT3, std::pow(T, -1.5));
    r.sq1000T = std::pow(1000.0 / T, 0.5);  // checked with dB12
    return r;
}

}  // namespace

double Water_Fugacity(const WaterState& w, const IdealGas& vapour)
{
    double lnf;
    AQ_SET(lnf, (w.GH2O - vapour.G) / kGasConstantCal / w.TK);
    return lnf;
}

AqueousValues Aqueous_Values(const WaterState& w, const IdealGas& vapour, double lnfH2O,
                             const IdealGas& gas, const EosParameters& p)
{
    const double T = w.TK;
    const double rho = w.dH2O, rhoT = w.ddH2OdTK, rhoTT = w.d2dH2OdTK2, rhoP = w.ddH2OdPbar;
    const double a = p.Coef1, b = p.Coef2, xi = p.Xi;
    const double R = kGasConstantCal, Rp = kGasConstantCm3Bar, Mw = kMolarMassWater;
    AqueousValues r;
    r.lnfH2O = lnfH2O;
    double kappa, Lrho, Lm;
    AQ_SET(kappa, std::pow(10.0, 1.5));  // square root of 1000
    const TemperatureRoots roots = temperature_roots(T);
    const double sqT = roots.sqT, isqT = roots.isqT, isqT3 = roots.isqT3, sq1000T = roots.sq1000T;

    // Cross term Phi = T 2 rho dB with dB = (a + b (1000/T)^0.5) / 2.
    AQ_SET(r.dB12, (b * sq1000T + a) * 0.5);
    AQ_SET(r.dB12d, 2.0 * rho * r.dB12);
    AQ_SET(r.TdB12d, r.dB12d * T);
    AQ_SET(r.dTdB12ddP, (kappa * b * sqT + a * T) * rhoP);
    AQ_SET(r.dTdB12ddT, a * (T * rhoT + rho) + b * (kappa * sqT * rhoT + 0.5 * kappa * isqT * rho));
    AQ_SET(r.d2TdB12ddT2, a * (T * rhoTT + 2.0 * rhoT) +
                              b * (kappa * sqT * rhoTT + kappa * isqT * rhoT -
                                   0.25 * kappa * isqT3 * rho));

    // Henry constant and the standard properties in the molality scale.
    AQ_SET(Lrho, fp::xlog(Rp * T * rho / Mw));
    AQ_SET(Lm, fp::xlog(solute::kGramsPerKilogram / Mw));
    AQ_SET(r.lnkH, (1.0 - xi) * lnfH2O + xi * Lrho + r.dB12d);
    AQ_SET(r.GTaqua, gas.G - R * T * Lm + R * T * (1.0 - xi) * lnfH2O + R * T * xi * Lrho +
                         R * r.TdB12d);
    double lnT, lnRho;
    AQ_SET(lnT, fp::xlog(Rp * T / Mw));
    AQ_SET(lnRho, fp::xlog(rho));
    AQ_SET(r.S2, gas.S + R * Lm + (1.0 - xi) * (w.SH2O - vapour.S) -
                     R * xi * (lnT + 1.0 + lnRho + T * rhoT / rho) - R * r.dTdB12ddT);
    AQ_SET(r.V2, Rp * xi * T * rhoP / rho + (1.0 - xi) * w.VH2O + Rp * r.dTdB12ddP);
    AQ_SET(r.Cp2, gas.Cp + (1.0 - xi) * (w.CpH2O - vapour.Cp) -
                      R * xi *
                          (1.0 + 2.0 * T * rhoT / rho - T * T * (rhoT * rhoT) / (rho * rho) +
                           T * T * rhoTT / rho) -
                      R * T * r.d2TdB12ddT2);
    return r;
}

AqueousGradients Aqueous_Gradients(const WaterState& w, const IdealGas& vapour, double lnfH2O)
{
    // The parameters enter Aqueous_Values as (1 - xi) on water's part, xi on
    // the ideal-gas-like part of the density, and a + b (1000/T)^0.5 in the
    // cross term Phi = T 2 rho dB = T rho (a + b (1000/T)^0.5) and its
    // derivatives; each coefficient below is the factor of one parameter.
    const double T = w.TK;
    const double rho = w.dH2O, rhoT = w.ddH2OdTK, rhoTT = w.d2dH2OdTK2, rhoP = w.ddH2OdPbar;
    const double R = kGasConstantCal, Rp = kGasConstantCm3Bar, Mw = kMolarMassWater;
    const double kappa = std::pow(10.0, 1.5);  // square root of 1000
    const TemperatureRoots roots = temperature_roots(T);
    const double sqT = roots.sqT, isqT = roots.isqT, isqT3 = roots.isqT3, sq1000T = roots.sq1000T;
    const double Lrho = std::log(Rp * T * rho / Mw);
    const double lnT = std::log(Rp * T / Mw), lnRho = std::log(rho);

    // Phi and its derivatives per unit of a and of b.
    const double phiP_a = T * rhoP, phiP_b = kappa * sqT * rhoP;
    const double phiT_a = T * rhoT + rho, phiT_b = kappa * sqT * rhoT + 0.5 * kappa * isqT * rho;
    const double phiTT_a = T * rhoTT + 2.0 * rhoT;
    const double phiTT_b = kappa * sqT * rhoTT + kappa * isqT * rhoT - 0.25 * kappa * isqT3 * rho;

    AqueousGradients g;
    g.lnkH = {Lrho - lnfH2O, rho, rho * sq1000T};
    g.GTaqua = {R * T * (Lrho - lnfH2O), R * T * rho, R * T * rho * sq1000T};
    g.S2 = {-(w.SH2O - vapour.S) - R * (lnT + 1.0 + lnRho + T * rhoT / rho), -R * phiT_a, -R * phiT_b};
    g.V2 = {Rp * T * rhoP / rho - w.VH2O, Rp * phiP_a, Rp * phiP_b};
    g.Cp2 = {-(w.CpH2O - vapour.Cp) -
                 R * (1.0 + 2.0 * T * rhoT / rho - T * T * (rhoT * rhoT) / (rho * rho) + T * T * rhoTT / rho),
             -R * T * phiTT_a, -R * T * phiTT_b};
    return g;
}

}  // namespace aqvis
