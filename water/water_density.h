#pragma once
// The density of water at a given temperature and pressure.

#include "water/helmholtz.h"
#include "water/saturation.h"

namespace aqvis {

// The solved density at (TK, Pbar) and the pressure derivatives there.
// Reduced variables: ro = rho/dcr, T = -Tcr/TK, P = Pbar/(dcr RGasH2O TK).
struct WaterDensity {
    double T;      // -Tcr/TK
    double ro;     // reduced density
    double P;      // reduced pressure ro^2 Aro of the last evaluation
    double dPdro;  // dP/dro at constant T
    double drodP;  // dro/dP at constant T, 1/dPdro
    double dPdT;   // dP/dT at constant ro
    double drodT;  // dro/dT at constant P, -dPdT/dPdro
    Helmholtz h;   // the reduced Helmholtz energy and its derivatives at the solution
};

// What a solution gives of the Helmholtz function at its density: its
// density derivatives and AroT (all the pressure derivatives need), or A, AT
// and ATT as well (for the thermal properties; NaN otherwise).
enum class HelmholtzValues { Slopes, All };

// Where the plain iteration does not settle, the physical root is searched
// on one branch first: upward from a gas-like density (the one fluid root
// above the critical temperature) or around a liquid-like density; the other
// branch is tried only when the first has no root.
enum class DensityBranch { FromGas, Liquid };

// The branch of a calculation at TK: from the gas above the critical
// temperature, the liquid at or below it.
DensityBranch Density_Branch(double TK);

// Solves the reduced density of water at TK and the pressure of `start`
// (start.Pbar) by Newton's method from `ro_start`, with a safeguarded search
// on `branch` where that does not settle (the solutions at displaced
// temperatures keep the start and the branch of the calculation they belong
// to).  Throws CalcError(NoConvergence) when no physical root is found; on
// the liquid branch at or below the critical temperature and above the
// saturation pressure start.Psat, a root below the critical density is no
// physical root either.
WaterDensity Water_Density(double TK, const WaterStart& start, double ro_start, DensityBranch branch,
                           HelmholtzValues values = HelmholtzValues::All);

}  // namespace aqvis
