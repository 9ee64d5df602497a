#pragma once
#include "core/calc_state.h"

namespace aqvis {

// Solves the reduced density ro of water at (TK, Pbar), starting from the ro
// held in the state, and sets P, dev, stepro, dPdro, drodP, dPdT, drodT.
// Throws CalcError(NoConvergence) when no physical root is found.
void Water_Density(CalcState& s);

}  // namespace aqvis
