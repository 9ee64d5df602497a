#pragma once
// The solute at infinite dilution in water: its Henry constant and standard
// properties from those of pure water, the ideal-gas functions and the three
// parameters of the solute's equation of state.

#include <array>

#include "core/water_state.h"
#include "solute/ideal_gas.h"

namespace aqvis {

// The parameters of the solute's equation of state.
struct EosParameters {
    double Xi;     // xi, 1
    double Coef1;  // a, cm³/g
    double Coef2;  // b, cm³/g
};

struct AqueousValues {
    double lnfH2O = 0.0;       // ln of the fugacity of water in bar
    double dB12 = 0.0;         // cm³/g: dB = (a + b (1000/T)^0.5) / 2 of the cross term
    double dB12d = 0.0;        // 1: cross term 2 rho dB of ln kH
    double TdB12d = 0.0;       // K: Phi = T 2 rho dB
    double dTdB12ddP = 0.0;    // K/bar: dPhi/dP at constant T
    double dTdB12ddT = 0.0;    // 1: dPhi/dT at constant P
    double d2TdB12ddT2 = 0.0;  // 1/K: d2Phi/dT2 at constant P
    double lnkH = 0.0;         // ln of the Henry constant in bar
    double GTaqua = 0.0;       // cal/mol: standard Gibbs energy (molality scale)
    double S2 = 0.0;           // cal/(mol K): standard entropy
    double V2 = 0.0;           // cm³/mol: standard partial molar volume
    double Cp2 = 0.0;          // cal/(mol K): standard partial molar heat capacity
};

// The derivatives of a property with respect to xi (1), a and b (cm³/g), in
// that order.
using ParameterGradient = std::array<double, 3>;

// The derivatives of the solute's properties with respect to its
// parameters at one state of water.  Each property is affine in (xi, a, b)
// there, so they do not depend on the parameters, and a change Δp of the
// parameters changes a property by exactly its gradient · Δp (up to the
// rounding of the two evaluations).
struct AqueousGradients {
    ParameterGradient lnkH{};    // 1 per unit of the parameter
    ParameterGradient GTaqua{};  // cal/mol per unit
    ParameterGradient S2{};      // cal/(mol K) per unit
    ParameterGradient V2{};      // cm³/mol per unit
    ParameterGradient Cp2{};     // cal/(mol K) per unit
};

// ln of the fugacity of water in bar, (GH2O - G of the vapour) / R / TK.
double Water_Fugacity(const WaterState& w, const IdealGas& vapour);

// The cross term and the standard properties of the solute, with lnfH2O from
// Water_Fugacity (copied into the result).
AqueousValues Aqueous_Values(const WaterState& w, const IdealGas& vapour, double lnfH2O,
                             const IdealGas& gas, const EosParameters& p);

// The gradients of the properties Aqueous_Values forms, from the same state
// of water, water vapour and lnfH2O (the solute's own ideal gas drops out).
AqueousGradients Aqueous_Gradients(const WaterState& w, const IdealGas& vapour, double lnfH2O);

}  // namespace aqvis
