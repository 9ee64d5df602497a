#pragma once
// The calculation state: the one record of named quantities that every step of
// a calculation reads and writes.  Units inside: K, bar, g/cm3, cm3/mol, cal/mol,
// cal/(mol K); members of the water equation of state are dimensionless, in
// the reduced variables ro = density/dcr and T = -Tcr/TK, and a derivative is
// named by the variables it is taken over (Aroro = d2A/d(ro)2).  Members keep
// their historical declaration order; nothing is reset between calculations,
// so a member keeps its value until a step overwrites it.

#include <cstdint>
#include <string>

namespace aqvis {

// The named quantities of the state.  A case copies these and nothing else:
// the coefficient tables below are the same in every prepared state.
struct CalcValues {
    double TC = 0.0;              // °C: temperature of the case as entered
    double TK = 0.0;              // K: temperature of the calculation, TK0 + TC
    double Pbar = 0.0;            // bar: pressure of the calculation (raised to Psat when below)
    double Psat = 0.0;            // bar: saturation pressure of water at TK
    double Ptrue = 0.0;           // reserved: declared, never read
    double ln10 = 0.0;            // natural logarithm of 10 (no calculation reads it)
    double NAv = 0.0;             // 1/mol: Avogadro constant (no calculation reads it)
    double Tr = 0.0;              // K: reference temperature (no calculation reads it; TrK is the one used)
    double TrK = 0.0;             // K: reference temperature of the ideal-gas functions, 298.15
    double TK0 = 0.0;             // K: offset from °C to K, 273.15
    double Pr = 0.0;              // bar: reference pressure (no calculation reads it)
    double dcr = 0.0;             // g/cm3: critical density of water, the reducing density
    double Tcr = 0.0;             // K: critical temperature of water, the reducing temperature
    double Pcr = 0.0;             // bar: critical pressure of water
    double MH2O = 0.0;            // g/mol: molar mass of water
    double RGasJbar = 0.0;        // cm3 bar/(mol K): molar gas constant
    double RGasH2O = 0.0;         // cm3 bar/(g K): specific gas constant of water
    double RGascal = 0.0;         // cal/(mol K): molar gas constant in calories
    double HH2O = 0.0;            // cal/mol: enthalpy of water
    double GH2O = 0.0;            // cal/mol: Gibbs energy of water
    double SH2O = 0.0;            // cal/(mol K): entropy of water
    double GTgas = 0.0;           // cal/mol: Gibbs energy of the ideal-gas solute at TK
    double STgas = 0.0;           // cal/(mol K): entropy of the ideal-gas solute at TK
    double Cpgas = 0.0;           // cal/(mol K): heat capacity of the ideal-gas solute at TK
    double GTH2Ogas = 0.0;        // cal/mol: Gibbs energy of ideal-gas water at TK
    double STH2Ogas = 0.0;        // cal/(mol K): entropy of ideal-gas water at TK
    double CpH2Ogas = 0.0;        // cal/(mol K): heat capacity of ideal-gas water at TK
    double CpH2O = 0.0;           // cal/(mol K): isobaric heat capacity of water
    double BH2O = 0.0;            // reserved: declared, never read
    double BH2OUp = 0.0;          // reserved: declared, never read
    double BH2ODown = 0.0;        // reserved: declared, never read
    double BH2OdH2ODown = 0.0;    // reserved: declared, never read
    double BH2OdH2OUP = 0.0;      // reserved: declared, never read
    double dBH2OdP = 0.0;         // reserved: declared, never read
    double dBH2OdH2OdP = 0.0;     // reserved: declared, never read
    double dBH2OdH2OUp = 0.0;     // reserved: declared, never read
    double dBH2OdH2ODown = 0.0;   // reserved: declared, never read
    double TdB12d = 0.0;          // K: solute-water cross term T 2 rho dB of the solute model
    double dTdB12ddP = 0.0;       // K/bar: its derivative with respect to pressure
    double dTdB12ddT = 0.0;       // 1: its derivative with respect to temperature
    double d2TdB12ddT2 = 0.0;     // 1/K: its second derivative with respect to temperature
    double dB12 = 0.0;            // cm3/g: half-sum dB = (a + b (1000/T)^0.5) / 2 of the cross term (no later step reads it)
    double dB12d = 0.0;           // 1: cross term 2 rho dB
    double dTdB12d = 0.0;         // reserved: declared, never read
    double dTdB12ddT2 = 0.0;      // reserved: declared, never read
    double lnfH2O = 0.0;          // ln of the fugacity of water in bar, (GH2O - GTH2Ogas)/(RGascal TK)
    double lnkH = 0.0;            // ln of the Henry constant of the solute in bar
    double GTaqua = 0.0;          // cal/mol: standard Gibbs energy of the aqueous solute
    double S2 = 0.0;              // cal/(mol K): standard entropy of the aqueous solute
    double ro = 0.0;              // 1: reduced density of water, density/dcr (the start value, then the solved one)
    double V2 = 0.0;              // cm3/mol: standard partial molar volume of the aqueous solute
    double Cp2 = 0.0;             // cal/(mol K): standard partial molar heat capacity of the aqueous solute
    double Vs = 0.0;              // cm3/mol: starting estimate of the molar volume of water
    double teta = 0.0;            // reserved: declared, never read
    double Psi = 0.0;             // reserved: declared, never read
    double C001 = 0.0;            // constant part of the critical-region amplitude dlAn; never set, so 0
    double C002 = 0.0;            // temperature slope of dlAn; never set, so 0
    double delta = 0.0;           // scale of the distance ksi in the critical-region term
    double alpha = 0.0;           // coefficient of dlT in the Gaussian weight G
    double dlro0 = 0.0;           // density scale of ksi (divides dlro)
    double dlT0 = 0.0;            // temperature scale of ksi (divides dlT)
    double beta = 0.0;            // coefficient of dlro in G
    double gamma = 0.0;           // coefficient of dlT^2 in G
    double dlta = 0.0;            // coefficient of dlro^2 in G
    double nu = 0.0;              // decay constant of the temperature weight H
    double UnitMinusE = 0.0;      // 1 - exp(-ro^2), formed by a series at small density
    double VH2O = 0.0;            // cm3/mol: molar volume of water
    double dH2O = 0.0;            // g/cm3: density of water
    double drodT = 0.0;           // d(ro)/dT at constant reduced pressure
    double drodP = 0.0;           // d(ro)/dP at constant T
    double d2rodP2 = 0.0;         // d2(ro)/dP2 at constant T
    double A = 0.0;               // reduced Helmholtz function of water
    double ddH2OdTK = 0.0;        // g/(cm3 K): d(dH2O)/d(TK) at constant pressure
    double ddH2OdPbar = 0.0;      // g/(cm3 bar): d(dH2O)/d(Pbar) at constant temperature
    double d2dH2OdTK2 = 0.0;      // g/(cm3 K2): d2(dH2O)/d(TK)2 at constant pressure
    double d2dH2OdPbar2 = 0.0;    // reserved: declared, never read
    double G0H2Ogas = 0.0;        // cal/mol: Gibbs energy of formation of ideal-gas water at TrK
    double SH2Ogas = 0.0;         // cal/(mol K): entropy of ideal-gas water at TrK
    double aH2O = 0.0;            // cal/(mol K): heat-capacity coefficient a of water vapour
    double bH2OE3 = 0.0;          // heat-capacity coefficient b of water vapour in cal/(mol K2), times 1e3
    double cH2OEmin5 = 0.0;       // heat-capacity coefficient c of water vapour in cal K/mol, times 1e-5
    double dVH2OdTK = 0.0;        // reserved: declared, never read
    double dVH2OdPbar = 0.0;      // reserved: declared, never read
    double AT = 0.0;              // dA/dT
    double ATT = 0.0;             // d2A/dT2
    double AroT = 0.0;            // d2A/(dro dT)
    double AroTT = 0.0;           // d3A/(dro dT2)
    double dPdT = 0.0;            // dP/dT at constant ro
    double dPdro = 0.0;           // dP/d(ro) at constant T
    double P = 0.0;               // 1: reduced pressure, Pbar/(dcr RGasH2O TK)
    double T = 0.0;               // 1: reduced inverse temperature, -Tcr/TK (negative)
    double TKOld = 0.0;           // reserved: declared, never read
    double TOld = 0.0;            // reserved: declared, never read
    double Cv = 0.0;              // reserved: declared, never read
    double ddH2OdTKMinus = 0.0;   // reserved: declared, never read
    double ddH2OdTKPlus = 0.0;    // reserved: declared, never read
    double Cp = 0.0;              // reserved: declared, never read
    double dlT = 0.0;             // T + 1, distance from the critical temperature
    double stepro = 0.0;          // Newton step of the density iteration
    double dev = 0.0;             // reduced pressure minus its target in the last step
    double dlro = 0.0;            // ro - 1, distance from the critical density
    double dlAn = 0.0;            // amplitude of the critical-region term (0: C001 = C002 = 0)
    double dlAnT = 0.0;           // d(dlAn)/dT
    double dlAnTT = 0.0;          // d2(dlAn)/dT2
    double ksi = 0.0;             // scaled distance from the critical point
    double tmp = 0.0;             // exponent of the Gaussian weight G (then -1/Z)
    double Z = 0.0;               // e^t - 1 of the scaled distance t (critical-region switch)
    double exp1Z = 0.0;           // exp(-1/Z) of the critical-region switch
    double F = 0.0;               // critical-region switch, 1 - exp1Z
    double Fro = 0.0;             // dF/d(ro)
    double Froro = 0.0;           // d2F/(d(ro)2)
    double Frororo = 0.0;         // d3F/(d(ro)3)
    double FT = 0.0;              // dF/dT
    double FroT = 0.0;            // d2F/(d(ro) dT)
    double FroTT = 0.0;           // d3F/(d(ro) dT2)
    double Fksi = 0.0;            // dF/d(ksi)
    double ksiro = 0.0;           // d(ksi)/d(ro)
    double ksiT = 0.0;            // d(ksi)/dT
    double ksiroro = 0.0;         // d2(ksi)/d(ro)2
    double ksiTT = 0.0;           // d2(ksi)/dT2
    double ksiroT = 0.0;          // d2(ksi)/(dro dT)
    double Fksiksi = 0.0;         // d2F/d(ksi)2
    double FTT = 0.0;             // d2F/dT2
    double A0 = 0.0;              // ideal-gas part of the reduced Helmholtz function
    double A0T = 0.0;             // dA0/dT
    double A0TT = 0.0;            // d2A0/dT2
    double E = 0.0;               // exp(-ro^2), the damping of the W2 term
    double Ero = 0.0;             // dE/d(ro)
    double Eroro = 0.0;           // d2E/(d(ro)2)
    double Erororo = 0.0;         // d3E/(d(ro)3)
    double G = 0.0;               // Gaussian weight of the W3 term
    double Gro = 0.0;             // dG/d(ro)
    double Groro = 0.0;           // d2G/(d(ro)2)
    double Grororo = 0.0;         // d3G/(d(ro)3)
    double GT = 0.0;              // dG/dT
    double GTT = 0.0;             // d2G/dT2
    double GroT = 0.0;            // d2G/(d(ro) dT)
    double GroroT = 0.0;          // d3G/(d(ro)2 dT)
    double GroTT = 0.0;           // d3G/(d(ro) dT2)
    double H = 0.0;               // temperature weight of the W4 term
    double HT = 0.0;              // dH/dT
    double HTT = 0.0;             // d2H/dT2
    double W1 = 0.0;              // W1 term of the Helmholtz function
    double W1ro = 0.0;            // dW1/d(ro)
    double W1roro = 0.0;          // d2W1/(d(ro)2)
    double W1rororo = 0.0;        // d3W1/(d(ro)3)
    double W1roroT = 0.0;         // d3W1/(d(ro)2 dT)
    double W1T = 0.0;             // dW1/dT
    double W1TT = 0.0;            // d2W1/dT2
    double W1roT = 0.0;           // d2W1/(d(ro) dT)
    double W1roTT = 0.0;          // d3W1/(d(ro) dT2)
    double R1 = 0.0;              // density function of the W1 term
    double R1ro = 0.0;            // dR1/d(ro)
    double R1roro = 0.0;          // d2R1/(d(ro)2)
    double R1rororo = 0.0;        // d3R1/(d(ro)3)
    double T1 = 0.0;              // temperature function of the W3 term of the W1 term
    double T1T = 0.0;             // dT1/dT
    double T1TT = 0.0;            // d2T1/dT2
    double W2 = 0.0;              // W2 term
    double W2ro = 0.0;            // dW2/d(ro)
    double W2roro = 0.0;          // d2W2/(d(ro)2)
    double W2rororo = 0.0;        // d3W2/(d(ro)3)
    double W2roroT = 0.0;         // d3W2/(d(ro)2 dT)
    double W2T = 0.0;             // dW2/dT
    double W2TT = 0.0;            // d2W2/dT2
    double W2roT = 0.0;           // d2W2/(d(ro) dT)
    double W2roTT = 0.0;          // d3W2/(d(ro) dT2)
    double R2 = 0.0;              // density function of the W2 term
    double R2ro = 0.0;            // dR2/d(ro)
    double R2roro = 0.0;          // d2R2/(d(ro)2)
    double R2rororo = 0.0;        // d3R2/(d(ro)3)
    double W3 = 0.0;              // W3 term
    double W3ro = 0.0;            // dW3/d(ro)
    double W3roro = 0.0;          // d2W3/(d(ro)2)
    double W3rororo = 0.0;        // d3W3/(d(ro)3)
    double W3roroT = 0.0;         // d3W3/(d(ro)2 dT)
    double W3T = 0.0;             // dW3/dT
    double W3TT = 0.0;            // d2W3/dT2
    double W3roT = 0.0;           // d2W3/(d(ro) dT)
    double W3roTT = 0.0;          // d3W3/(d(ro) dT2)
    double R3 = 0.0;              // density function of the W3 term
    double R3ro = 0.0;            // dR3/d(ro)
    double R3roro = 0.0;          // d2R3/(d(ro)2)
    double R3rororo = 0.0;        // d3R3/(d(ro)3)
    double W4 = 0.0;              // W4 term
    double W4ro = 0.0;            // dW4/d(ro)
    double W4roro = 0.0;          // d2W4/(d(ro)2)
    double W4rororo = 0.0;        // d3W4/(d(ro)3)
    double W4roroT = 0.0;         // d3W4/(d(ro)2 dT)
    double W4T = 0.0;             // dW4/dT
    double W4TT = 0.0;            // d2W4/dT2
    double W4roT = 0.0;           // d2W4/(d(ro) dT)
    double W4roTT = 0.0;          // d3W4/(d(ro) dT2)
    double Aro = 0.0;             // dA/d(ro)
    double Aroro = 0.0;           // d2A/d(ro)2
    double Arororo = 0.0;         // d3A/d(ro)3
    double AroroT = 0.0;          // d3A/(d(ro)2 dT)
    double d2Pdro2 = 0.0;         // d2P/d(ro)2
    double d2PdT2 = 0.0;          // d2P/dT2
    double d2PdrodT = 0.0;        // d2P/(dro dT)
    double d2rodPdT = 0.0;        // d2(ro)/(dP dT)
    double d2rodT2 = 0.0;         // d2(ro)/dT2
    double T2 = 0.0;              // temperature function of the W3 term
    double T2T = 0.0;             // dT2/dT
    double T2TT = 0.0;            // d2T2/dT2
    std::string Formula;          // chemical formula of the solute
    double Xi = 0.0;              // 1: solute parameter xi
    double Coef1 = 0.0;           // cm3/g: solute parameter a
    double Coef2 = 0.0;           // cm3/g: solute parameter b
    double bg = 0.0;              // reserved: declared, never read
    double ag = 0.0;              // reserved: declared, never read
    double G0gas = 0.0;           // cal/mol: Gibbs energy of formation of the ideal-gas solute at TrK
    double S0gas = 0.0;           // cal/(mol K): entropy of the ideal-gas solute at TrK
    double agas = 0.0;            // cal/(mol K): heat-capacity coefficient a of the solute
    double bgasE3 = 0.0;          // heat-capacity coefficient b of the solute in cal/(mol K2), times 1e3
    double cgasEmin5 = 0.0;       // heat-capacity coefficient c of the solute in cal K/mol, times 1e-5
};

// The state: the named quantities, the coefficient tables of the water
// equations and the loop counters that run over them.
struct CalcState : CalcValues {
    // --- coefficient tables, indexed from 1 (index 0 never used) ----------
    // Filled by Origin_Values; only the water equations read them.
    const double (&w1Coef() const)[8][8] { return W1Coef; }
    const double (&w2Coef() const)[8][13] { return W2Coef; }
    const double (&w3Coef() const)[6][6] { return W3Coef; }
    const double (&w4Coef() const)[6][11] { return W4Coef; }
    const double (&a0Coef() const)[9] { return A0Coef; }
    const double (&psatCoef() const)[7] { return PsatCoef; }
    const double (&dsatCoef() const)[7] { return DsatCoef; }

    // Loop counters shared by the clearing loops of Origin_Values and the
    // sums of the Helmholtz function; their values between steps mean nothing.
    std::int16_t iIdx = 0;
    std::int16_t jIdx = 0;

private:
    friend void Origin_Values(CalcState& s);

    double W1Coef[8][8] = {};    // W1 term: density function i (R1 kind), temperature function j
    double W2Coef[8][13] = {};   // W2 term (damped by E = exp(-ro^2))
    double W3Coef[6][6] = {};    // W3 term (Gaussian weight G near the critical point)
    double W4Coef[6][11] = {};   // W4 term (temperature weight H)
    double A0Coef[9] = {};       // ideal-gas part A0(T)
    double PsatCoef[7] = {};     // a1..a6 of the vapour-pressure equation
    double DsatCoef[7] = {};     // b1..b6 of the saturated-liquid density equation
};

}  // namespace aqvis
