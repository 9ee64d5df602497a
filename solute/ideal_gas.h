#pragma once
#include "core/calc_state.h"

namespace aqvis {

struct IdealGasResult {
    double G;   // Gibbs energy at TK, cal/mol
    double S;   // entropy at TK, cal/(mol K)
    double Cp;  // heat capacity at TK, cal/(mol K)
};

// Ideal-gas Gibbs energy, entropy and heat capacity at T = TK from the data of
// one substance at TrK: G0, S0 and Cp = a + b T - c / T^2 with
// b = bE3 / 1000 and c = cEmin5 * 100000.
IdealGasResult IdealGas_Values(const CalcState& s, double G0, double S0, double a,
                               double bE3, double cEmin5);

}  // namespace aqvis
