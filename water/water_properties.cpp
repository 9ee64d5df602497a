#include "water/water_properties.h"

#include "core/constants.h"
#include "core/fp.h"
#include "water/constants.h"

namespace aqvis {

namespace {

// d(rho)/dTK at constant pressure from the reduced derivatives of a solution.
double density_slope(const WaterDensity& w)
{
    using water::dcr, water::Tcr;
    double D;
    AQ_SET(D, (w.T * w.T * dcr / Tcr) * w.drodT + (w.P * dcr * w.T / Tcr) * w.drodP);
    return D;
}

}  // namespace

WaterState Water_Properties(double TK, const WaterStart& start, const WaterDensity& d)
{
    using water::dcr, water::RGasH2O, water::Tcr;
    constexpr double MH2O = kMolarMassWater;
    WaterState s;
    s.TK = TK;
    s.Pbar = start.Pbar;
    s.Psat = start.Psat;
    AQ_SET(s.dH2O, dcr * d.ro);
    AQ_SET(s.ddH2OdPbar, d.drodP / RGasH2O / TK);
    AQ_SET(s.ddH2OdTK, density_slope(d));
    AQ_SET(s.VH2O, MH2O / s.dH2O);

    // Second temperature derivative of the density: central difference of the
    // first derivative over TK - 0.5 K and TK + 0.5 K at the same pressure.
    // Both solutions stay on the branch of the calculation itself (near the
    // critical temperature one of them may lie on the other side of it).
    const DensityBranch branch = Density_Branch(TK);
    const WaterDensity minus = Water_Density(TK - 0.5, start, d.ro, branch, HelmholtzValues::Slopes);
    const double Dminus = density_slope(minus);
    const WaterDensity plus = Water_Density(TK + 0.5, start, minus.ro, branch);
    const double Dplus = density_slope(plus);
    AQ_SET(s.d2dH2OdTK2, Dplus - Dminus);

    // Thermal properties.  A, AT, ATT, P, ro, dPdT and dPdro are those of the
    // solution at TK + 0.5 K, combined with T and TK of the state point; the
    // reference constants are fitted to exactly this combination.
    const double T = d.T;
    const Helmholtz& h = plus.h;
    double R;
    AQ_SET(R, RGasH2O * MH2O / kCm3BarPerCalorie);  // cal/(mol K)
    AQ_SET(s.CpH2O, R * (-(T * T) * h.ATT + (plus.dPdT * T - plus.P) * (plus.dPdT * T - plus.P) /
                                                (plus.ro * plus.ro) / plus.dPdro));
    AQ_SET(s.HH2O, R * Tcr * (-h.AT - plus.P / plus.ro / T) - water::kEnthalpyOffset);
    AQ_SET(s.SH2O, R * (T * h.AT - h.A) + water::kEntropyOffset);
    AQ_SET(s.GH2O, s.HH2O - TK * s.SH2O + water::kGibbsOffset);
    return s;
}

}  // namespace aqvis
