#include "water/water_properties.h"

#include "core/fp.h"
#include "water/water_density.h"

namespace aqvis {

namespace {

// d(rho)/dTK at constant pressure from the reduced derivatives of the state.
double density_slope(const CalcState& s)
{
    double D;
    AQ_SET(D, (s.T * s.T * s.dcr / s.Tcr) * s.drodT + (s.P * s.dcr * s.T / s.Tcr) * s.drodP);
    return D;
}

}  // namespace

void Water_Properties(CalcState& s)
{
    AQ_SET(s.dH2O, s.dcr * s.ro);
    AQ_SET(s.ddH2OdPbar, s.drodP / s.RGasH2O / s.TK);
    AQ_SET(s.ddH2OdTK, density_slope(s));
    AQ_SET(s.VH2O, s.MH2O / s.dH2O);

    // Second temperature derivative of the density: central difference of the
    // first derivative over TK - 0.5 K and TK + 0.5 K at the same pressure.
    // Both solutions stay on the branch of the calculation itself (near the
    // critical temperature one of them may lie on the other side of it).
    const double TK = s.TK;
    const double T = s.T;
    const DensityBranch branch = Density_Branch(s);
    s.TK = TK - 0.5;
    Water_Density(s, branch);
    const double Dminus = density_slope(s);
    s.TK = TK + 0.5;
    Water_Density(s, branch);
    const double Dplus = density_slope(s);
    s.T = T;
    AQ_SET(s.d2dH2OdTK2, Dplus - Dminus);
    s.TK = TK;

    // Thermal properties.  A, AT, ATT, P, ro, dPdT and dPdro are those of the
    // solution at TK + 0.5 K, combined with the restored T and TK; the
    // reference constants below are fitted to exactly this combination (it puts
    // H and S of liquid water at 298.15 K and 1 bar on their standard values).
    double R;
    AQ_SET(R, s.RGasH2O * s.MH2O / 41.84);  // cal/(mol K); 41.84 cm3 bar per cal
    AQ_SET(s.CpH2O, R * (-(s.T * s.T) * s.ATT + (s.dPdT * s.T - s.P) * (s.dPdT * s.T - s.P) /
                                                 (s.ro * s.ro) / s.dPdro));
    AQ_SET(s.HH2O, R * s.Tcr * (-s.AT - s.P / s.ro / s.T) - 68775.6501);
    AQ_SET(s.SH2O, R * (s.T * s.AT - s.A) + 15.105041);
    AQ_SET(s.GH2O, s.HH2O - s.TK * s.SH2O + 16609.847);
}

}  // namespace aqvis
