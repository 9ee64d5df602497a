#pragma once
// The parts of a solubility point that the point at a given pressure and the
// bubble pressure share.

#include <optional>
#include <string>

#include "core/errors.h"
#include "equilibrium/liquid_side.h"
#include "equilibrium/solubility.h"
#include "gas/peng_robinson.h"

namespace aqvis {

// The gas phase's pure-component terms at one temperature.
struct GasTerms {
    gas::PureTerms solute, water;
    double kij = 0.0;
    double TK = 0.0;
};

GasTerms Gas_Of(const SolubilitySolute& s, double TK);

// Solves the equilibrium at the liquid side's pressure and fills every value
// of `v` but TC and the molality.  Returns the failure: no two-phase
// solution, or the first floating-point failure (found, as for a case, by
// running again with every statement checked once a flag was raised).
std::optional<CalcError> Equilibrium_Point(const SolubilitySolute& s, const LiquidSide& L, double TC,
                                           SolubilityValues& v);

// The warning of a computed point outside the checked range; empty inside.
std::string Range_Warning(const SolubilityValues& v, const CriticalConstants& solute, double TK);

// " at T °C and P bar", for messages.
std::string State_Point_Text(double TC, double Pbar);

// The failure of a point that cannot have two phases: at or above the
// critical temperature of water, or at 0 bar or below.
std::optional<CalcError> Check_Two_Phase(double TC, double Pbar);

}  // namespace aqvis
