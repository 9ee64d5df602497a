#pragma once
// The output members of a case: every number a front end can print, tabulate
// or plot, with its name, unit and meaning.  JSON lines, CSV and table
// columns, plots and the Python module all take their names, units and order
// from here, and read the values through it from the value types of the
// calculation: a case, water alone, or a solubility point.

#include <span>
#include <string_view>

#include "driver/case_runner.h"
#include "driver/derived.h"
#include "equilibrium/solubility.h"
#include "results/units.h"

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
    Molality,     // molality as given to a bubble pressure
};

struct Member {
    const char* name;         // "lnkH"
    MemberRead read;          // where the value is taken from
    const char* unit;         // ASCII ("cal/(mol K)"), for CSV headers and tables
    const char* meaning;      // "Partial molar volume of the aqueous solute"
    const char* plot_unit;    // the unit as a plot's axis shows it ("" = none)
    MemberInput input = MemberInput::None;
    Quantity quantity = Quantity::Other;  // the unit options that change its unit
    double SolubilityValues::*point = nullptr;  // where a solubility point holds it (read unset)
};

// The members of a computed case in output order (the order of a JSON line),
// K last; with `uncertainty`, followed by Uncertainty_Members.
std::span<const Member> Output_Members(bool uncertainty = false);

// u_lnkH, u_GTaqua, u_S2, u_V2, u_Cp2, u_HTaqua and u_K: the standard
// uncertainties (k = 1) of those members from the covariance of the
// solute's xi, a and b alone, not the model's own error (driver/
// uncertainty.h); in the unit of their member, converted with it.  NaN
// where none was propagated.
std::span<const Member> Uncertainty_Members();

// The members of water alone (`aqvis-cli water`, aqvis.water) in output
// order: the state, the properties of water, alphaV and kappaT.  Psat is NaN
// above the critical temperature, where there is none.
std::span<const Member> Water_Members();

// The members of a solubility point in output order: TC, Pbar, x, molality,
// y_water, phi_gas, phi_water, Z_gas, V_gas, lnkH.
std::span<const Member> Solubility_Members();

// The member called `name` among `members`, or nullptr.
const Member* Find_Member(std::string_view name, std::span<const Member> members = Output_Members());

// The unit of `m` as shown with energies in `u`: ASCII, or the plot's form.
const char* Member_Unit(const Member& m, EnergyUnit u, bool plot = false);

// The value `v` of `m` as shown with energies in `u` (joules: × 4.184).
inline double Member_Output(const Member& m, double v, EnergyUnit u) { return Energy_To(v, m.quantity, u); }

// The value of `m` in a finished case (for an input member, in any case whose
// solute is set).
inline double Member_Value(const Member& m, const CaseValues& v, const DerivedValues& d)
{
    return m.read(v, d);
}

// True for the members that are inputs of a case (Xi, Coef1, Coef2, TC,
// Pbar): a failed case still has them.
inline bool Is_Input_Member(const Member& m) { return m.input != MemberInput::None; }

// The value of solubility member `m` in a point.
inline double Solubility_Value(const Member& m, const SolubilityValues& v) { return v.*m.point; }

// True for the members of a solubility point that are its inputs, which a
// failed point still has: the temperature, and the pressure (or, for a
// bubble pressure, the molality).
inline bool Is_Solubility_Input(const Member& m, bool bubble)
{
    return m.input == MemberInput::Temperature || m.input == (bubble ? MemberInput::Molality : MemberInput::Pressure);
}

}  // namespace aqvis
