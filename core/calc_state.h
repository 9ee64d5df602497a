#pragma once
// The calculation state: the one record of named quantities that every step of
// a calculation reads and writes.  Units inside: K, bar, g/cm3, cm3/mol, cal/mol,
// cal/(mol K).  Members are declared in their historical order (the number after
// each member); nothing is reset between calculations, so a member keeps its
// value until a step overwrites it.

#include <cstdint>
#include <string>

namespace aqvis {

struct CalcState {
    // --- named quantities, in declaration order -------------------------
    double TC = 0.0;  // 0
    double TK = 0.0;  // 1
    double Pbar = 0.0;  // 2
    double Psat = 0.0;  // 3
    double Ptrue = 0.0;  // 4
    double ln10 = 0.0;  // 5
    double NAv = 0.0;  // 6
    double Tr = 0.0;  // 7
    double TrK = 0.0;  // 8
    double TK0 = 0.0;  // 9
    double Pr = 0.0;  // 10
    double dcr = 0.0;  // 11
    double Tcr = 0.0;  // 12
    double Pcr = 0.0;  // 13
    double MH2O = 0.0;  // 14
    double RGasJbar = 0.0;  // 15
    double RGasH2O = 0.0;  // 16
    double RGascal = 0.0;  // 17
    double HH2O = 0.0;  // 18
    double GH2O = 0.0;  // 19
    double SH2O = 0.0;  // 20
    double GTgas = 0.0;  // 21
    double STgas = 0.0;  // 22
    double Cpgas = 0.0;  // 23
    double GTH2Ogas = 0.0;  // 24
    double STH2Ogas = 0.0;  // 25
    double CpH2Ogas = 0.0;  // 26
    double CpH2O = 0.0;  // 27
    double BH2O = 0.0;  // 28
    double BH2OUp = 0.0;  // 29
    double BH2ODown = 0.0;  // 30
    double BH2OdH2ODown = 0.0;  // 31
    double BH2OdH2OUP = 0.0;  // 32
    double dBH2OdP = 0.0;  // 33
    double dBH2OdH2OdP = 0.0;  // 34
    double dBH2OdH2OUp = 0.0;  // 35
    double dBH2OdH2ODown = 0.0;  // 36
    double TdB12d = 0.0;  // 37
    double dTdB12ddP = 0.0;  // 38
    double dTdB12ddT = 0.0;  // 39
    double d2TdB12ddT2 = 0.0;  // 40
    double dB12 = 0.0;  // 41
    double dB12d = 0.0;  // 42
    double dTdB12d = 0.0;  // 43
    double dTdB12ddT2 = 0.0;  // 44
    double lnfH2O = 0.0;  // 45
    double lnkH = 0.0;  // 46
    double GTaqua = 0.0;  // 47
    double S2 = 0.0;  // 48
    double ro = 0.0;  // 49
    double V2 = 0.0;  // 50
    double Cp2 = 0.0;  // 51
    double Vs = 0.0;  // 52
    double teta = 0.0;  // 53
    double Psi = 0.0;  // 54
    double C001 = 0.0;  // 55
    double C002 = 0.0;  // 56
    double delta = 0.0;  // 57
    double alpha = 0.0;  // 58
    double dlro0 = 0.0;  // 59
    double dlT0 = 0.0;  // 60
    double beta = 0.0;  // 61
    double gamma = 0.0;  // 62
    double dlta = 0.0;  // 63
    double nu = 0.0;  // 64
    double UnitMinusE = 0.0;  // 65
    double VH2O = 0.0;  // 66
    double dH2O = 0.0;  // 67
    double drodT = 0.0;  // 68
    double drodP = 0.0;  // 69
    double d2rodP2 = 0.0;  // 70
    double A = 0.0;  // 71
    double ddH2OdTK = 0.0;  // 72
    double ddH2OdPbar = 0.0;  // 73
    double d2dH2OdTK2 = 0.0;  // 74
    double d2dH2OdPbar2 = 0.0;  // 75
    double G0H2Ogas = 0.0;  // 76
    double SH2Ogas = 0.0;  // 77
    double aH2O = 0.0;  // 78
    double bH2OE3 = 0.0;  // 79
    double cH2OEmin5 = 0.0;  // 80
    double dVH2OdTK = 0.0;  // 81
    double dVH2OdPbar = 0.0;  // 82
    double AT = 0.0;  // 83
    double ATT = 0.0;  // 84
    double AroT = 0.0;  // 85
    double AroTT = 0.0;  // 86
    double dPdT = 0.0;  // 87
    double dPdro = 0.0;  // 88
    double P = 0.0;  // 89
    double T = 0.0;  // 90
    double TKOld = 0.0;  // 91
    double TOld = 0.0;  // 92
    double Cv = 0.0;  // 93
    double ddH2OdTKMinus = 0.0;  // 94
    double ddH2OdTKPlus = 0.0;  // 95
    double Cp = 0.0;  // 96
    double dlT = 0.0;  // 97
    double stepro = 0.0;  // 98
    double dev = 0.0;  // 99
    double dlro = 0.0;  // 100
    double dlAn = 0.0;  // 101
    double dlAnT = 0.0;  // 102
    double dlAnTT = 0.0;  // 103
    double ksi = 0.0;  // 104
    double tmp = 0.0;  // 105
    double Z = 0.0;  // 106
    double exp1Z = 0.0;  // 107
    double F = 0.0;  // 108
    double Fro = 0.0;  // 109
    double Froro = 0.0;  // 110
    double Frororo = 0.0;  // 111
    double FT = 0.0;  // 112
    double FroT = 0.0;  // 113
    double FroTT = 0.0;  // 114
    double Fksi = 0.0;  // 115
    double ksiro = 0.0;  // 116
    double ksiT = 0.0;  // 117
    double ksiroro = 0.0;  // 118
    double ksiTT = 0.0;  // 119
    double ksiroT = 0.0;  // 120
    double Fksiksi = 0.0;  // 121
    double FTT = 0.0;  // 122
    double A0 = 0.0;  // 123
    double A0T = 0.0;  // 124
    double A0TT = 0.0;  // 125
    double E = 0.0;  // 126
    double Ero = 0.0;  // 127
    double Eroro = 0.0;  // 128
    double Erororo = 0.0;  // 129
    double G = 0.0;  // 130
    double Gro = 0.0;  // 131
    double Groro = 0.0;  // 132
    double Grororo = 0.0;  // 133
    double GT = 0.0;  // 134
    double GTT = 0.0;  // 135
    double GroT = 0.0;  // 136
    double GroroT = 0.0;  // 137
    double GroTT = 0.0;  // 138
    double H = 0.0;  // 139
    double HT = 0.0;  // 140
    double HTT = 0.0;  // 141
    double W1 = 0.0;  // 142
    double W1ro = 0.0;  // 143
    double W1roro = 0.0;  // 144
    double W1rororo = 0.0;  // 145
    double W1roroT = 0.0;  // 146
    double W1T = 0.0;  // 147
    double W1TT = 0.0;  // 148
    double W1roT = 0.0;  // 149
    double W1roTT = 0.0;  // 150
    double R1 = 0.0;  // 151
    double R1ro = 0.0;  // 152
    double R1roro = 0.0;  // 153
    double R1rororo = 0.0;  // 154
    double T1 = 0.0;  // 155
    double T1T = 0.0;  // 156
    double T1TT = 0.0;  // 157
    double W2 = 0.0;  // 158
    double W2ro = 0.0;  // 159
    double W2roro = 0.0;  // 160
    double W2rororo = 0.0;  // 161
    double W2roroT = 0.0;  // 162
    double W2T = 0.0;  // 163
    double W2TT = 0.0;  // 164
    double W2roT = 0.0;  // 165
    double W2roTT = 0.0;  // 166
    double R2 = 0.0;  // 167
    double R2ro = 0.0;  // 168
    double R2roro = 0.0;  // 169
    double R2rororo = 0.0;  // 170
    double W3 = 0.0;  // 171
    double W3ro = 0.0;  // 172
    double W3roro = 0.0;  // 173
    double W3rororo = 0.0;  // 174
    double W3roroT = 0.0;  // 175
    double W3T = 0.0;  // 176
    double W3TT = 0.0;  // 177
    double W3roT = 0.0;  // 178
    double W3roTT = 0.0;  // 179
    double R3 = 0.0;  // 180
    double R3ro = 0.0;  // 181
    double R3roro = 0.0;  // 182
    double R3rororo = 0.0;  // 183
    double W4 = 0.0;  // 184
    double W4ro = 0.0;  // 185
    double W4roro = 0.0;  // 186
    double W4rororo = 0.0;  // 187
    double W4roroT = 0.0;  // 188
    double W4T = 0.0;  // 189
    double W4TT = 0.0;  // 190
    double W4roT = 0.0;  // 191
    double W4roTT = 0.0;  // 192
    double Aro = 0.0;  // 193
    double Aroro = 0.0;  // 194
    double Arororo = 0.0;  // 195
    double AroroT = 0.0;  // 196
    double d2Pdro2 = 0.0;  // 197
    double d2PdT2 = 0.0;  // 198
    double d2PdrodT = 0.0;  // 199
    double d2rodPdT = 0.0;  // 200
    double d2rodT2 = 0.0;  // 201
    double T2 = 0.0;  // 202
    double T2T = 0.0;  // 203
    double T2TT = 0.0;  // 204
    std::string Formula;  // 205
    double Xi = 0.0;  // 206
    double Coef1 = 0.0;  // 207
    double Coef2 = 0.0;  // 208
    double bg = 0.0;  // 209
    double ag = 0.0;  // 210
    double G0gas = 0.0;  // 211
    double S0gas = 0.0;  // 212
    double agas = 0.0;  // 213
    double bgasE3 = 0.0;  // 214
    double cgasEmin5 = 0.0;  // 215
    // --- private coefficient tables, indexed from 1 (index 0 never used) ---
    // They are filled by Origin_Values and only read by the water equations.
    const double (&w1Coef() const)[8][8] { return W1Coef; }
    const double (&w2Coef() const)[8][13] { return W2Coef; }
    const double (&w3Coef() const)[6][6] { return W3Coef; }
    const double (&w4Coef() const)[6][11] { return W4Coef; }
    const double (&a0Coef() const)[9] { return A0Coef; }
    const double (&psatCoef() const)[7] { return PsatCoef; }
    const double (&dsatCoef() const)[7] { return DsatCoef; }

private:
    friend void Origin_Values(CalcState& s);
    friend void Saturation_Values(CalcState& s);
    friend struct HelmholtzAccess;

    double W1Coef[8][8] = {};    // W1 term: density function i (R1 kind), temperature function j
    double W2Coef[8][13] = {};   // W2 term (damped by E = exp(-ro^2))
    double W3Coef[6][6] = {};    // W3 term (Gaussian weight G near the critical point)
    double W4Coef[6][11] = {};   // W4 term (temperature weight H)
    double A0Coef[9] = {};       // ideal-gas part A0(T)
    double PsatCoef[7] = {};     // a1..a6 of the vapour-pressure equation
    double DsatCoef[7] = {};     // b1..b6 of the saturated-liquid density equation

public:
    // Loop counters shared by the clearing loops of Origin_Values and the
    // sums of the Helmholtz function; their values between steps mean nothing.
    std::int16_t iIdx = 0;
    std::int16_t jIdx = 0;
};

}  // namespace aqvis
