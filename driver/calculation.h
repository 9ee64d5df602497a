#pragma once
// The numeric part of one calculation: from a solute, TC and Pbar (already
// read from the input) to the standard properties of the aqueous solute.

#include <functional>
#include <optional>

#include "core/errors.h"
#include "core/water_state.h"
#include "solute/aqueous.h"
#include "solute/catalogue.h"
#include "solute/ideal_gas.h"

namespace aqvis {

// Every value of one calculation, composed of the layers' results: the state
// point and pure water (WaterState: TK, Pbar used, Psat, ...), the solute at
// infinite dilution (AqueousValues), and the two ideal gases.
struct CalcValues : WaterState, AqueousValues {
    double TC = 0.0;      // °C: temperature as entered
    IdealGas vapour{};    // water vapour as an ideal gas at TK
    IdealGas gas{};       // the solute as an ideal gas at TK
};

// Called with the pressure actually used (the saturation pressure for a
// lower one at or below the critical temperature) once it is known, before
// the density of water is solved: the window rewrites its pressure box there.
using PressureSettled = std::function<void(double Pbar)>;

// TK = 273.15 + TC; the starting state of water (water/saturation.h); the
// density of water and its properties; the ideal-gas functions of water
// vapour, the fugacity of water, the ideal-gas functions of the solute and
// the solute at infinite dilution, in this order, into `out`.
//
// The calculation runs at full speed and is replayed with every statement
// checked only when it raised a floating-point failure flag, so the error
// names the first failure (division by zero, overflow, invalid operation),
// or the missing physical density root.  The error is returned, not thrown
// (a failing case costs one exception); `out` is then left as it was.
std::optional<CalcError> Calculate(const CatalogueEntry& solute, double TC, double Pbar,
                                   CalcValues& out, const PressureSettled& pressure_settled = {});

// Water alone: the same steps up to the fugacity of water (lnfH2O stored
// with the aqueous values) and no solute, whose values in `out` are 0.
// The water's values are those of Calculate to the last bit.
std::optional<CalcError> Calculate_Water(double TC, double Pbar, CalcValues& out,
                                         const PressureSettled& pressure_settled = {});

}  // namespace aqvis
