#pragma once
#include "core/calc_state.h"

namespace aqvis {

// Sets every physical constant of the state (the coefficient tables are
// constants shared by every state).
// Reads nothing from the state; calling it again leaves the same values.
void Origin_Values(CalcState& s);

}  // namespace aqvis
