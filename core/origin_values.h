#pragma once
#include "core/calc_state.h"

namespace aqvis {

// Sets every physical constant and fills every coefficient table of the state.
// Reads nothing from the state; calling it again leaves the same values.
void Origin_Values(CalcState& s);

}  // namespace aqvis
