#pragma once
// The output members of a case: every number a front end can print, tabulate
// or plot, with its unit and meaning.  JSON lines, CSV and table columns,
// plots and the Python module all take their names, units and order from
// here.

#include <span>
#include <string_view>

#include "core/calc_state.h"
#include "driver/derived.h"

namespace aqvis {

struct Member {
    const char* name;         // as in the state ("lnkH") or "K"
    double CalcState::*state; // where the value is stored; null for a derived value
    double DerivedValues::*derived;  // the derived value when `state` is null
    const char* unit;         // ASCII ("cal/(mol K)"), for CSV headers and tables
    const char* meaning;      // "Partial molar volume of the aqueous solute"
    const char* plot_unit;    // the unit as a plot's axis shows it ("" = none)
};

// The members of a computed case in output order (the order of a JSON line),
// K last.
std::span<const Member> Output_Members();

// The member called `name`, or nullptr.
const Member* Find_Member(std::string_view name);

// The value of `m` in a finished case.
inline double Member_Value(const Member& m, const CalcState& s, const DerivedValues& d)
{
    return m.state ? s.*(m.state) : d.*(m.derived);
}

// True for the members that are inputs of a case (Xi, Coef1, Coef2, TC,
// Pbar): a failed case still has them.
bool Is_Input_Member(const Member& m);

}  // namespace aqvis
