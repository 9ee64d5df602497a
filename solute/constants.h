#pragma once
// Constants of the solute model and of the ideal-gas reference states.  Each
// value is the double nearest to the decimal shown.

namespace aqvis {

// What the ideal-gas functions of one substance start from, at the reference
// temperature TrK and 1 bar: G0 (cal/mol), S0 (cal/(mol·K)) and the heat
// capacity Cp = a + b T - c / T^2 in cal/(mol·K), with b and c stored scaled,
// bE3 = b·10³ (b in cal/(mol·K²)) and cEmin5 = c·10⁻⁵ (c in cal·K/mol).
struct IdealGasData {
    double G0, S0, a, bE3, cEmin5;
};

namespace solute {

// K: reference temperature of the ideal-gas functions, 25 °C.
inline constexpr double TrK = 298.15;

// Water vapour as an ideal gas.  G0 is -228.582 kJ/mol in thermochemical
// calories, the standard Gibbs energy of formation of H2O(g) at TrK that
// follows from the CODATA key values (Cox, Wagman and Medvedev 1989); S0 is
// their standard entropy of H2O(g), 188.835 J/(mol·K) = 45.13265 cal/(mol·K),
// given to four decimals.  The heat-capacity coefficients are the program's
// defining values; their origin is not recorded.
inline constexpr IdealGasData kWaterVapour{-54632.39, 45.1326, 7.3483, 2.5024, 0.13978};

// g/kg: the molality scale counts moles per 1000 g of water, so the standard
// properties hold ln(1000/MH2O), moles of water per kilogram.
inline constexpr double kGramsPerKilogram = 1000.0;

}  // namespace solute

}  // namespace aqvis
