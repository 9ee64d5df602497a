#pragma once
#include "core/calc_state.h"

namespace aqvis::test {

// Plain evaluation of the reduced Helmholtz function of water, loop for loop
// over every table entry with the general power function, exactly in the
// order of the textbook sums.  It is the oracle for the fast evaluation.
void Helmholtz_H2O_Reference(CalcState& s);

}  // namespace aqvis::test
