#include "solute/ideal_gas.h"

#include <cmath>

#include "core/fp.h"

namespace aqvis {

IdealGas IdealGas_Values(double TK, const IdealGasData& data)
{
    const double T = TK;
    const double Tr = solute::TrK;
    const double G0 = data.G0, S0 = data.S0, a = data.a, bE3 = data.bE3, cEmin5 = data.cEmin5;
    double L;
    AQ_SET(L, fp::xlog(T / Tr));
    IdealGas r{};
    // Maier-Kelley heat capacity Cp = a + b T - c / T^2, integrated from Tr;
    // b = bE3 / 1000 and c = cEmin5 * 100000 at every use.
    AQ_SET(r.G, G0 - S0 * (T - Tr) - a * T * L + a * (T - Tr) -
                    bE3 / 1000.0 * 0.5 * ((T - Tr) * (T - Tr)) +
                    cEmin5 * 100000.0 * 0.5 * ((T / Tr - 1.0) * (T / Tr - 1.0)) / T);
    AQ_SET(r.S, S0 + a * L + bE3 / 1000.0 * (T - Tr) +
                    cEmin5 * 100000.0 * 0.5 * (1.0 / (T * T) - 1.0 / (Tr * Tr)));
    AQ_SET(r.Cp, a + bE3 / 1000.0 * T - cEmin5 * 100000.0 / (T * T));
    return r;
}

}  // namespace aqvis
