#pragma once
#include "core/calc_state.h"

namespace aqvis {

// Solves the reduced density ro of water at (TK, Pbar), starting from the ro
// held in the state, and sets P, dev, stepro, dPdro, drodP, dPdT, drodT.
// Throws CalcError(NoConvergence) when no physical root is found.
void Water_Density(CalcState& s);

// Where the plain iteration does not settle, the physical root is searched
// on one branch first: upward from a gas-like density (the one fluid root
// above the critical temperature) or around a liquid-like density; the other
// branch is tried only when the first has no root.
enum class DensityBranch { FromGas, Liquid };

// The branch of a calculation at the state's TK: from the gas above the
// critical temperature, the liquid at or below it.
DensityBranch Density_Branch(const CalcState& s);

// Water_Density with the branch given: the solutions at displaced
// temperatures keep the branch of the calculation they belong to.
void Water_Density(CalcState& s, DensityBranch branch);

}  // namespace aqvis
