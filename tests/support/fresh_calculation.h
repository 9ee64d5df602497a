#pragma once
// One full calculation of a catalogue solute on a freshly prepared state,
// optionally with other parameters xi, a and b, through the case runner every
// front end uses: the reference the tests compare against.

#include <stdexcept>
#include <string>

#include "core/calc_state.h"
#include "driver/case_runner.h"
#include "solute/catalogue.h"

namespace aqvis::test {

using Parameters = SoluteParameters;

// Constants set and the solute loaded, ready for TC and Pbar.
inline CalcState Loaded_State(const std::string& solute, Parameters p = {})
{
    const SoluteRecord* r = Find_Solute(solute);
    if (!r) throw std::runtime_error("no solute " + solute);
    return Prepare_Solute(*r, p).state;
}

// Throws CalcError when the case fails, the derived values included.
inline CalcState Fresh_Calculation(const std::string& solute, double TC, double Pbar,
                                   Parameters p = {})
{
    CalcState s = Loaded_State(solute, p);
    (void)Run_Case(s, TC, Pbar);
    return s;
}

}  // namespace aqvis::test
