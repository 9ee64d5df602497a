#pragma once
// Reduced Helmholtz energy of water, A = a / (RGasH2O TK), as a function of the
// reduced density ro = rho / dcr and T = -Tcr / TK (negative):
//
//   A = ln(ro) + A0(T) + W1 + E W2 + G W3 + H W4
//
// with E = exp(-ro^2), a Gaussian weight G around the critical point and
// H = exp(-nu (T + 3)) (coefficients in water/helmholtz_coefficients.h).  The
// equation's critical-region switching term has zero amplitude, so it adds
// nothing and is left out.
//
// The terms that depend on T only (A0, H, and for every density index the
// sums over the temperature index of the coefficients times the temperature
// functions) are formed once per temperature in HelmholtzTemperatureTerms, so
// that a density iteration at fixed T only pays for the density functions.
// An evaluation at one ro comes in two halves: the density part gives Aro and
// Aroro, which the density iteration needs at every step; the completion
// gives A and the T derivatives, needed at the solution only.

namespace aqvis {

// The reduced Helmholtz energy and its derivatives at one (T, ro); a suffix
// names the variables a derivative is taken over (AroT = d2A/(dro dT)).
struct Helmholtz {
    double A, Aro, Aroro, AT, ATT, AroT;
};

// Two doubles handled side by side (a value and its derivative); each lane
// is rounded exactly as the same operation on a single double.
using HelmholtzPair = double __attribute__((vector_size(16)));

// Every member is written by Helmholtz_Temperature_Terms.
struct HelmholtzTemperatureTerms {
    double T, dlT;  // T and T + 1
    double A0, A0T, A0TT;
    double H, HT, HTT;
    // For family X and density index i: SX[i] holds the sums over j of
    // Coef(i, j) times the temperature function and times its first T
    // derivative; SXTT[i] the sum with the second T derivative.
    HelmholtzPair S1[8], S2[8], S3[6], S4[6];
    double S1TT[8], S2TT[8], S3TT[6], S4TT[6];
};

// The density part of an evaluation at one ro: Aro and Aroro, and what the
// completion needs from it.
struct HelmholtzDensityTerms {
    double ro, Aro, Aroro;
    double lnro;
    double rp[11];           // ro^k for k = -3..7 (index k + 3)
    HelmholtzPair R1d[8];    // {dR1/dro, d2R1/dro2} of the R1 kind, i = 1..7
    double U, E, Ero;        // 1 - E, E = exp(-ro^2), dE/dro
    double G, Gro, GT, GTT, GroT;
    double W2, W3, W3ro, W4ro;
};

// Forms the temperature terms at T (negative).
void Helmholtz_Temperature_Terms(double T, HelmholtzTemperatureTerms& t);

// The same terms kept per temperature and thread (bit for bit what
// Helmholtz_Temperature_Terms forms).  The reference is valid until the next
// call on the same thread.
const HelmholtzTemperatureTerms& Kept_Temperature_Terms(double T);

// Density part of one evaluation at ro (> 0).
void Helmholtz_Density_Part(const HelmholtzTemperatureTerms& t, double ro, HelmholtzDensityTerms& d);

// Completes the evaluation begun by Helmholtz_Density_Part.
Helmholtz Helmholtz_Complete(const HelmholtzTemperatureTerms& t, const HelmholtzDensityTerms& d);

// AroT alone of the same completion (bit for bit), for a solution whose
// thermal values A, AT and ATT are not needed.
double Helmholtz_AroT(const HelmholtzTemperatureTerms& t, const HelmholtzDensityTerms& d);

// One whole evaluation at (T, ro).
Helmholtz Helmholtz_H2O(double T, double ro);

}  // namespace aqvis
