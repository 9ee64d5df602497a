#pragma once
// The output members of a solubility point: names, units and meanings for
// its JSON lines, CSV and table columns, plots and the Python module.

#include <span>
#include <string_view>

#include "equilibrium/solubility.h"
#include "results/members.h"

namespace aqvis {

struct SolubilityMember {
    Member member;                          // name, unit, meaning, plot unit (read from `value`)
    double SolubilityValues::*value;
};

// In output order: TC, Pbar, x, molality, y_water, phi_gas, phi_water,
// Z_gas, V_gas, lnkH.
std::span<const SolubilityMember> Solubility_Members();

// The member called `name`, or nullptr.
const SolubilityMember* Find_Solubility_Member(std::string_view name);

}  // namespace aqvis
