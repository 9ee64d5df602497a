#pragma once
// Reduced Helmholtz energy of water, A = a / (RGasH2O TK), as a function of the
// reduced density ro = rho / dcr and T = -Tcr / TK (negative):
//
//   A = ln(ro) + A0(T) + W1 + E W2 + G W3 + H W4
//
// with E = exp(-ro^2), a Gaussian weight G around the critical point and
// H = exp(-nu (T + 3)).  One evaluation sets A, Aro, Aroro, AT, ATT, AroT and
// all the working members of the state.
//
// The terms that depend on T only (A0, H, and for every density index the
// sums over the temperature index of the coefficients times the temperature
// functions) are formed once per temperature in HelmholtzTemperatureTerms, so
// that a density iteration at fixed T only pays for the density functions.

#include "core/calc_state.h"

namespace aqvis {

// Two doubles handled side by side (a value and its derivative); each lane
// is rounded exactly as the same operation on a single double.
using HelmholtzPair = double __attribute__((vector_size(16)));

// Every member is written by Helmholtz_Temperature_Terms.
struct HelmholtzTemperatureTerms {
    double A0, A0T, A0TT;
    double H, HT, HTT;
    // For family X and density index i: SX[i] holds the sums over j of
    // Coef(i, j) times the temperature function and times its first T
    // derivative; SXTT[i] the sum with the second T derivative.
    HelmholtzPair S1[8], S2[8], S3[6], S4[6];
    double S1TT[8], S2TT[8], S3TT[6], S4TT[6];
    // Temperature functions of the last index of each kind (T1 at j = 10,
    // T2 at j = 5), which the state holds after an evaluation.
    double T1, T1T, T1TT, T2, T2T, T2TT;
};

// What an evaluation at one ro keeps between its two halves; written by
// Helmholtz_Density_Part.
struct HelmholtzDensityTerms {
    double lnro;
    double rp[11];           // ro^k for k = -3..7 (index k + 3)
    HelmholtzPair R1d[8];    // {dR1/dro, d2R1/dro2} of the R1 kind, i = 1..7
};

// Forms the temperature terms at the state's T (member `T`, negative).
void Helmholtz_Temperature_Terms(const CalcState& s, HelmholtzTemperatureTerms& t);

// The same terms kept per temperature and thread (bit for bit what
// Helmholtz_Temperature_Terms forms).  The reference is valid until the next
// call on the same thread.
const HelmholtzTemperatureTerms& Kept_Temperature_Terms(const CalcState& s);

// Density part of one evaluation at the state's ro: everything that Aro and
// Aroro need (Aro and Aroro included).  Complete it with Helmholtz_Complete
// before A, AT, ATT or AroT are read.
void Helmholtz_Density_Part(CalcState& s, const HelmholtzTemperatureTerms& t,
                            HelmholtzDensityTerms& d);

// Completes the evaluation begun by Helmholtz_Density_Part at the same ro:
// A, AT, ATT, AroT and the remaining working members.
void Helmholtz_Complete(CalcState& s, const HelmholtzTemperatureTerms& t,
                        const HelmholtzDensityTerms& d);

// One whole evaluation at the state's ro and T (T and dlT must be set).
void Helmholtz_H2O(CalcState& s);

}  // namespace aqvis
