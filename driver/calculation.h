#pragma once
// The numeric part of one calculation: from TC and Pbar (already read from the
// input) to the standard properties of the aqueous solute.

#include <functional>
#include <optional>

#include "core/calc_state.h"
#include "core/errors.h"

namespace aqvis {

// Called with the state once Pbar is the pressure actually used.
using PressureSettled = std::function<void(const CalcState&)>;

// Runs, in this order: TK = TK0 + TC; the starting density of water (ideal gas
// above the critical temperature, otherwise Saturation_Values, which may raise
// Pbar to the saturation pressure); then Water_Density, Water_Properties,
// IdealGas_Values for water vapour, Water_Fugacity, IdealGas_Values for the
// solute and Aqueous_Values.
//
// `pressure_settled`, when given, is called once right after the starting
// state is set (Pbar is then the pressure actually used), before the density
// of water is solved: the window rewrites its pressure box there.
//
// Throws CalcError on the first floating-point failure (division by zero,
// overflow, invalid operation) or when no physical density root exists; the
// members written before the failure keep their values.
void Calculate_Properties(CalcState& s, const PressureSettled& pressure_settled = {});

// The same for a state `s` that is a copy of `start` with only TC and Pbar
// changed.  A failed calculation is replayed from `start`, so nothing is
// copied beforehand.  The error is returned instead of thrown (a failing
// case costs one exception, the one that leaves the failing statement).
std::optional<CalcError> Calculate_Properties_From(const CalcState& start, CalcState& s,
                                                   const PressureSettled& pressure_settled = {});

// The start alone: TK = TK0 + TC and the starting density of water (ideal gas
// above the critical temperature, otherwise Saturation_Values).  Raises the
// floating-point flags only; Calculate_Properties checks them.
void Start_Values(CalcState& s);

}  // namespace aqvis
