#include "solute/ideal_gas.h"

#include <cmath>

#include "core/fp.h"

namespace aqvis {

IdealGasResult IdealGas_Values(const CalcState& s, double G0, double S0, double a, double bE3,
                               double cEmin5)
{
    const double T = s.TK;
    const double Tr = s.TrK;
    double L;
    AQ_SET(L, fp::xlog(T / Tr));
    IdealGasResult r{};
    // Maier-Kelley heat capacity Cp = a + b T - c / T^2, integrated from Tr.
    AQ_SET(r.G, G0 - S0 * (T - Tr) - a * T * L + a * (T - Tr) -
                    bE3 / 1000.0 * 0.5 * ((T - Tr) * (T - Tr)) +
                    cEmin5 * 100000.0 * 0.5 * ((T / Tr - 1.0) * (T / Tr - 1.0)) / T);
    AQ_SET(r.S, S0 + a * L + bE3 / 1000.0 * (T - Tr) +
                    cEmin5 * 100000.0 * 0.5 * (1.0 / (T * T) - 1.0 / (Tr * Tr)));
    AQ_SET(r.Cp, a + bE3 / 1000.0 * T - cEmin5 * 100000.0 / (T * T));
    return r;
}

}  // namespace aqvis
