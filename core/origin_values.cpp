#include "core/origin_values.h"

#include "core/coefficients.h"

namespace aqvis {

namespace {

// Clears the used range (1..ni, 1..nj) with the state's loop counters, then
// stores the non-zero entries.  Clearing first makes a repeated call leave
// exactly the listed entries non-zero.
template <int NI, int NJ, int N>
void fill_table(CalcState& s, double (&table)[NI][NJ], const coef::Entry (&entries)[N])
{
    for (s.iIdx = 1; s.iIdx <= NI - 1; ++s.iIdx)
        for (s.jIdx = 1; s.jIdx <= NJ - 1; ++s.jIdx) table[s.iIdx][s.jIdx] = 0.0;
    for (const coef::Entry& e : entries) table[e.i][e.j] = e.value;
}

}  // namespace

void Origin_Values(CalcState& s)
{
    s.RGasJbar = 83.14410001672;  // molar gas constant, cm3 bar/(mol K)
    s.G0H2Ogas = -54632.39;       // Gibbs energy of formation of ideal-gas water at TrK, cal/mol
    s.ln10 = 2.302585093;         // ln 10 (kept for completeness)
    s.NAv = 6.0221367e23;         // Avogadro's number (kept for completeness)
    s.Tr = 298.15;                // reference temperature (kept for completeness)
    s.TrK = 298.15;               // reference temperature of the ideal-gas functions, K
    s.TK0 = 273.15;               // 0 degC in K
    s.Pr = 1.0;                   // reference pressure, bar (kept for completeness)
    s.beta = 1.0;                 // Gaussian weight: coefficient of dlro
    // The critical constants and reducing values of the equation of state of
    // Hill (1990) and the saturation equations of Saul and Wagner (1987).
    s.dcr = 0.322778;             // critical density of water, g/cm3
    s.Tcr = 647.067;              // critical temperature of water, K
    s.Pcr = 220.46;               // critical pressure of water, bar
    s.MH2O = 18.0152;             // molar mass of water, g/mol
    s.RGasH2O = 4.61521937;       // specific gas constant of water, cm3 bar/(g K)
    s.RGascal = 1.987191683;      // molar gas constant, cal/(mol K)
    s.SH2Ogas = 45.1326;          // entropy of ideal-gas water at TrK, cal/(mol K)
    s.aH2O = 7.3483;              // Cp of ideal-gas water: a, cal/(mol K)
    s.bH2OE3 = 2.5024;            // Cp of ideal-gas water: b * 1e3
    s.cH2OEmin5 = 0.13978;        // Cp of ideal-gas water: c * 1e-5
    s.delta = 1.028667;           // critical-region term: scale of ksi
    s.dlro0 = 0.23;               // critical-region term: density scale
    s.dlT0 = 0.05;                // critical-region term: temperature scale
    s.alpha = 80.0;               // Gaussian weight: coefficient of dlT
    s.gamma = 130.0;              // Gaussian weight: coefficient of dlT^2
    s.dlta = 12.0;                // Gaussian weight: coefficient of dlro^2
    s.nu = 4.0;                   // decay constant of the temperature weight H


    for (int k = 1; k <= 6; ++k) s.PsatCoef[k] = coef::Psat[k];
    for (int k = 1; k <= 6; ++k) s.DsatCoef[k] = coef::Dsat[k];
    for (int k = 1; k <= 8; ++k) s.A0Coef[k] = coef::A0[k];

    fill_table(s, s.W1Coef, coef::W1);
    fill_table(s, s.W2Coef, coef::W2);
    fill_table(s, s.W3Coef, coef::W3);
    fill_table(s, s.W4Coef, coef::W4);
}

}  // namespace aqvis
