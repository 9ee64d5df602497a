#pragma once
// Units and universal constants shared by the layers above.  Each value is
// the double nearest to the decimal shown.

namespace aqvis {

// K: 0 °C on the thermodynamic scale (exact, by the definition of the Celsius scale).
inline constexpr double kZeroCelsius = 273.15;

// J/cal: the thermochemical calorie (exact, by definition).
inline constexpr double kJoulePerCalorie = 4.184;

// cm³·bar/cal: one thermochemical calorie, 4.184 J, with 1 J = 10 cm³·bar (exact).
inline constexpr double kCm3BarPerCalorie = 41.84;

// cal/(mol·K): the molar gas constant, 8.31441 J/(mol·K) (CODATA 1973
// recommended value) in thermochemical calories, rounded to ten digits.
inline constexpr double kGasConstantCal = 1.987191683;

// cm³·bar/(mol·K): the same constant in volume-pressure units, the
// calorie value above times 41.84 written out in full.
inline constexpr double kGasConstantCm3Bar = 83.14410001672;
static_assert(kGasConstantCm3Bar == kGasConstantCal * kCm3BarPerCalorie);

// g/mol: molar mass of water, 2 × 1.00794 + 15.9994 = 18.01528 from the
// standard atomic weights, cut to six digits.
inline constexpr double kMolarMassWater = 18.0152;

}  // namespace aqvis
