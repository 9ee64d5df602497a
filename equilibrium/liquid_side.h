#pragma once
// What the gas-liquid equilibrium takes from one case of the model: the
// Henry constant and the fugacity of pure liquid water at (T, P) and the
// saturation pressure.  This file alone reads the case layer.

#include <optional>

#include "core/errors.h"
#include "driver/case_runner.h"

namespace aqvis {

struct LiquidSide {
    double TK = 0.0;     // K
    double Pbar = 0.0;   // bar: the pressure of the case (the saturation pressure for 0)
    double Psat = 0.0;   // bar: saturation pressure of water at TK
    double lnkH = 0.0;   // ln of the mole-fraction Henry constant in bar at (TK, Pbar)
    double lnfw = 0.0;   // ln of the fugacity of pure liquid water in bar at (TK, Pbar)
};

// Runs the case of `solute` at (TC, Pbar) on `scratch` (one per thread) and
// fills `out`; the error of a failed case instead.  Pbar 0 is the
// saturation pressure, as for every case.
std::optional<CalcError> Liquid_Side(const PreparedSolute& solute, double TC, double Pbar, CaseResult& scratch,
                                     LiquidSide& out);

}  // namespace aqvis
