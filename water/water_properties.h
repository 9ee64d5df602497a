#pragma once
#include "core/calc_state.h"

namespace aqvis {

// Physical properties of water from the solved density: dH2O, ddH2OdPbar,
// ddH2OdTK, VH2O, d2dH2OdTK2 (two more solutions at TK -/+ 0.5 K), CpH2O,
// HH2O, SH2O, GH2O.
void Water_Properties(CalcState& s);

}  // namespace aqvis
