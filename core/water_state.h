#pragma once
// Pure water at the state point of a calculation: what the water layer
// forms and the solute layer reads.  It sits here, below both, so that the
// two layers need not know each other.

namespace aqvis {

struct WaterState {
    double TK = 0.0;          // K: temperature
    double Pbar = 0.0;        // bar: pressure used (at or below the critical temperature never below Psat)
    double Psat = 0.0;        // bar: saturation pressure at TK; 0 above the critical temperature
    double dH2O = 0.0;        // g/cm³: density
    double VH2O = 0.0;        // cm³/mol: molar volume
    double ddH2OdTK = 0.0;    // g/(cm³·K): ∂ρ/∂T at constant pressure
    double ddH2OdPbar = 0.0;  // g/(cm³·bar): ∂ρ/∂P at constant temperature
    double d2dH2OdTK2 = 0.0;  // g/(cm³·K²): ∂²ρ/∂T² at constant pressure
    double CpH2O = 0.0;       // cal/(mol·K): isobaric heat capacity
    double HH2O = 0.0;        // cal/mol: enthalpy
    double SH2O = 0.0;        // cal/(mol·K): entropy
    double GH2O = 0.0;        // cal/mol: Gibbs energy, on the scale of the ideal-gas Gibbs energy of water vapour
};

}  // namespace aqvis
