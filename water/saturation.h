#pragma once
#include "core/calc_state.h"

namespace aqvis {

// Saturation pressure Psat at TK (vapour-pressure equation; Pcr at TK = Tcr),
// raises Pbar to Psat when it is lower, and sets the starting reduced density:
// the saturated-liquid density when Pbar == Psat, otherwise the liquid density
// of the molar-volume polynomial of the pressure band.  Used for TK <= Tcr.
void Saturation_Values(CalcState& s);

}  // namespace aqvis
