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

struct HelmholtzTemperatureTerms {
    double A0 = 0, A0T = 0, A0TT = 0;
    double H = 0, HT = 0, HTT = 0;
    // For family X and density index i: sum over j of Coef(i,j) times the
    // temperature function, its first and its second T derivative.
    double S1[8] = {}, S1T[8] = {}, S1TT[8] = {};
    double S2[8] = {}, S2T[8] = {}, S2TT[8] = {};
    double S3[6] = {}, S3T[6] = {}, S3TT[6] = {};
    double S4[6] = {}, S4T[6] = {}, S4TT[6] = {};
    // Temperature functions of the last index of each kind (T1 at j = 10,
    // T2 at j = 5), which the state holds after an evaluation.
    double T1 = 0, T1T = 0, T1TT = 0, T2 = 0, T2T = 0, T2TT = 0;
};

// Density functions of every density index at one ro (kept between the two
// halves of an evaluation).
struct HelmholtzDensityTerms {
    double lnro = 0;
    double R1[8] = {}, R1ro[8] = {}, R1roro[8] = {};  // i = 1..7
    double R2[8] = {}, R2ro[8] = {}, R2roro[8] = {};  // i = 1..7
    double R3[6] = {}, R3ro[6] = {}, R3roro[6] = {};  // i = 1..5
};

// Forms the temperature terms at the state's T (member `T`, negative).
void Helmholtz_Temperature_Terms(const CalcState& s, HelmholtzTemperatureTerms& t);

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
