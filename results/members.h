#pragma once
// The output members of a case: every number a front end can print, tabulate
// or plot, with its name, unit and meaning.  JSON lines, CSV and table
// columns, plots and the Python module all take their names, units and order
// from here, and read the values through it from the value types of the
// calculation.

#include <span>
#include <string_view>

#include "driver/case_runner.h"
#include "driver/derived.h"

namespace aqvis {

// Reads one member from a case.
using MemberRead = double (*)(const CaseValues& v, const DerivedValues& d);

// What a member is as an input of the case; a failed case still has its
// inputs.
enum class MemberInput {
    None,         // a result
    Parameter,    // xi, a or b of the solute (Xi, Coef1, Coef2)
    Temperature,  // TC as given
    Pressure,     // Pbar as given (raised to Psat in a finished case)
};

struct Member {
    const char* name;         // "lnkH"
    MemberRead read;          // where the value is taken from
    const char* unit;         // ASCII ("cal/(mol K)"), for CSV headers and tables
    const char* meaning;      // "Partial molar volume of the aqueous solute"
    const char* plot_unit;    // the unit as a plot's axis shows it ("" = none)
    MemberInput input;
};

// The members of a computed case in output order (the order of a JSON line),
// K last.
std::span<const Member> Output_Members();

// The member called `name`, or nullptr.
const Member* Find_Member(std::string_view name);

// The value of `m` in a finished case (for an input member, in any case whose
// solute is set).
inline double Member_Value(const Member& m, const CaseValues& v, const DerivedValues& d)
{
    return m.read(v, d);
}

// True for the members that are inputs of a case (Xi, Coef1, Coef2, TC,
// Pbar): a failed case still has them.
inline bool Is_Input_Member(const Member& m) { return m.input != MemberInput::None; }

}  // namespace aqvis
