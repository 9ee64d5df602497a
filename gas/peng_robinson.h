#pragma once
// The gas phase of a solute + water mixture: the Peng-Robinson equation of
// state with van der Waals one-fluid mixing (one binary parameter k_ij) and
// a volume translation.  Units: K, bar, cm3/mol.
//
// Pure component i at temperature T:
//   a_i = 0.45724 R^2 Tc^2/Pc [1 + m (1 - sqrt(T/Tc))]^2,
//   m   = 0.37464 + 1.54226 w - 0.26992 w^2,
//   b_i = 0.07780 R Tc/Pc,
//   c_i = 0.50033 (0.25969 - Z_RA) R Tc/Pc,  Z_RA = 0.29056 - 0.08775 w.
// Mixture of mole fractions y: a = sum_ij y_i y_j sqrt(a_i a_j)(1 - k_ij),
// b = sum y_i b_i, c = sum y_i c_i; A = aP/(RT)^2, B = bP/(RT);
//   Z^3 - (1 - B) Z^2 + (A - 3B^2 - 2B) Z - (AB - B^2 - B^3) = 0,
// of which the largest root is the gas.  With the translation the molar
// volume is V = Z RT/P - c and
//   ln phi_i = b_i/b (Z - 1) - ln(Z - B)
//              - A/(2 sqrt2 B) (2 sum_j y_j a_ij/a - b_i/b) ln[(Z + (1+sqrt2)B)/(Z + (1-sqrt2)B)]
//              - c_i P/(RT).
// The translation moves every volume of a component by the same amount: it
// leaves the cubic's own phase equilibria alone, but it changes the
// fugacity of the gas, which here meets a liquid described otherwise.
//
// Floating-point failures raise the status flags (core/fp.h); in strict mode
// the first failing statement throws.

#include "core/critical.h"

namespace aqvis::gas {

// cm3 bar/(mol K): molar gas constant, 8.314462618 J/(mol K) (CODATA 2018).
inline constexpr double kR = 83.14462618;

// The pure-component terms at one temperature.
struct PureTerms {
    double a = 0.0;  // cm6 bar/mol2: attraction at T
    double b = 0.0;  // cm3/mol: co-volume
    double c = 0.0;  // cm3/mol: volume translation
};

PureTerms Pure_Terms(const CriticalConstants& k, double TK);

// The gas root Z of the cubic for dimensionless A and B (the largest real
// root, above B).
double Gas_Root(double A, double B);

// The gas phase at (TK, Pbar) of a mixture holding the mole fraction
// `y_water` of water, the rest solute.
struct GasPhase {
    double Z = 0.0;             // 1: compressibility factor PV/(RT) (translated)
    double V = 0.0;             // cm3/mol: molar volume (translated)
    double lnphi_solute = 0.0;  // ln fugacity coefficient of the solute
    double lnphi_water = 0.0;   // ln fugacity coefficient of water
};

GasPhase Gas_Phase(const PureTerms& solute, const PureTerms& water, double kij, double y_water, double TK,
                   double Pbar);

}  // namespace aqvis::gas
