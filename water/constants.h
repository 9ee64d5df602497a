#pragma once
// Constants of water.  Each value is the double nearest to the decimal
// shown.  The coefficient tables of the equations sit beside the code that
// evaluates them (helmholtz_coefficients.h, saturation.cpp).

namespace aqvis::water {

// K: critical temperature of water, the reducing temperature of the Helmholtz
// function of Hill (1990), T = -Tcr/TK.  The saturation equations are
// evaluated with the same value.
inline constexpr double Tcr = 647.067;

// g/cm³: critical density of water, the reducing density of the same
// Helmholtz function, ro = density/dcr.
inline constexpr double dcr = 0.322778;

// bar: critical pressure of water, 22.046 MPa, the pressure that goes with
// Tcr and dcr; it scales the vapour-pressure equation.
inline constexpr double Pcr = 220.46;

// cm³·bar/(g·K): specific gas constant of water, the molar gas constant
// 83.14410001672 cm³·bar/(mol·K) divided by the molar mass of water (4.6152193712...), rounded to
// nine digits.  It reduces the pressure, P = Pbar/(dcr·RGasH2O·TK).
inline constexpr double RGasH2O = 4.61521937;

// Reference constants of the thermal properties, fitted to reproduce, with
// the Helmholtz values the properties are formed from, the standard enthalpy
// of formation and the standard entropy of liquid water at 298.15 K and 1 bar
// (about -68.3 kcal/mol and 16.7 cal/(mol·K)), and a Gibbs energy on the scale
// of formation Gibbs energies, that of the ideal-gas water it is compared with.
inline constexpr double kEnthalpyOffset = 68775.6501;  // cal/mol, subtracted from H
inline constexpr double kEntropyOffset = 15.105041;    // cal/(mol·K), added to S
inline constexpr double kGibbsOffset = 16609.847;      // cal/mol, added to H - TK·S

}  // namespace aqvis::water
