#pragma once
// Critical temperature, critical pressure and acentric factor of the built-in
// solutes and of water, for the gas phase of a solubility calculation.

#include <optional>
#include <string_view>

#include "core/critical.h"

namespace aqvis {

// The constants of the built-in solute `formula`; none for a formula that is
// not built in, nor for H3BO3 and H3AsO3, which have no gas phase to speak of.
std::optional<CriticalConstants> Built_In_Critical_Constants(std::string_view formula);

// Water's own constants, from the same table.
CriticalConstants Water_Critical_Constants();

}  // namespace aqvis
