#pragma once
// Properties of water at the state point from its solved density.

#include "core/water_state.h"
#include "water/water_density.h"

namespace aqvis {

// Water at TK and start.Pbar with the saturation pressure of `start`, from the
// density `d` solved there (its slopes are enough, HelmholtzValues::Slopes): density, molar volume, the density derivatives
// (the second temperature derivative from two more solutions at TK -/+ 0.5 K),
// heat capacity, enthalpy, entropy and Gibbs energy.
WaterState Water_Properties(double TK, const WaterStart& start, const WaterDensity& d);

}  // namespace aqvis
