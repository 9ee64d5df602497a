#pragma once
#include "core/calc_state.h"

namespace aqvis {

// lnfH2O = (GH2O - GTH2Ogas) / RGascal / TK.
void Water_Fugacity(CalcState& s);

// Cross term of the solute's equation of state and the standard properties of
// the solute at infinite dilution: dB12, dB12d, TdB12d, dTdB12ddP, dTdB12ddT,
// d2TdB12ddT2, lnkH, GTaqua, S2, V2, Cp2.
void Aqueous_Values(CalcState& s);

}  // namespace aqvis
