#pragma once
// The ideal-gas functions of one substance (the solute, or water vapour).

#include "solute/constants.h"

namespace aqvis {

struct IdealGas {
    double G;   // Gibbs energy at TK, cal/mol
    double S;   // entropy at TK, cal/(mol K)
    double Cp;  // heat capacity at TK, cal/(mol K)
};

// Ideal-gas Gibbs energy, entropy and heat capacity at TK from the data of
// one substance at TrK.
IdealGas IdealGas_Values(double TK, const IdealGasData& data);

}  // namespace aqvis
