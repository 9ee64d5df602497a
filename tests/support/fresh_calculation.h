#pragma once
// One full calculation of a catalogue solute on a freshly initialised state,
// optionally with other parameters xi, a and b: the reference the tests
// compare against.

#include <optional>
#include <stdexcept>
#include <string>

#include "core/calc_state.h"
#include "driver/calculation.h"
#include "core/origin_values.h"
#include "solute/catalogue.h"

namespace aqvis::test {

struct Parameters {
    std::optional<double> xi, a, b;
};

// Constants set and the solute loaded, ready for TC and Pbar.
inline CalcState Loaded_State(const std::string& solute, Parameters p = {})
{
    CalcState s;
    Origin_Values(s);
    const SoluteRecord* r = Find_Solute(solute);
    if (!r) throw std::runtime_error("no solute " + solute);
    Load_Solute(s, *r);
    if (p.xi) s.Xi = *p.xi;
    if (p.a) s.Coef1 = *p.a;
    if (p.b) s.Coef2 = *p.b;
    return s;
}

inline CalcState Fresh_Calculation(const std::string& solute, double TC, double Pbar,
                                   Parameters p = {})
{
    CalcState s = Loaded_State(solute, p);
    s.TC = TC;
    s.Pbar = Pbar;
    Calculate_Properties(s);
    return s;
}

}  // namespace aqvis::test
