#pragma once
// One full calculation of a catalogue solute, optionally with other
// parameters xi, a and b, through the case runner every front end uses: the
// reference the tests compare against.

#include <stdexcept>
#include <string>

#include "driver/case_runner.h"
#include "solute/catalogue.h"

namespace aqvis::test {

using Parameters = SoluteParameters;

// The solute ready for TC and Pbar.
inline PreparedSolute Prepared(const std::string& solute, Parameters p = {})
{
    const SoluteRecord* r = Find_Solute(solute);
    if (!r) throw std::runtime_error("no solute " + solute);
    return Prepare_Solute(*r, p);
}

// Throws CalcError when the case fails, the derived values included.
inline CaseValues Fresh_Calculation(const std::string& solute, double TC, double Pbar,
                                    Parameters p = {})
{
    const CaseResult r = Run_Case(Prepared(solute, p), TC, Pbar);
    if (!r.ok) throw CalcError(r.kind, r.error);
    return r.values;
}

}  // namespace aqvis::test
