#include "helmholtz_reference.h"

#include <cmath>

namespace aqvis::test {

namespace {

// Density function of the R1 kind for index i.
void r1_kind(CalcState& s, int i)
{
    const double ro = s.ro, U = s.UnitMinusE;
    if (i == 2) {
        s.R1 = std::pow(ro, 2) / 2 + std::log(ro) * U - std::pow(ro, 2) * std::log(ro);
        s.R1ro = U / ro - std::log(ro) * s.Ero - 2 * ro * std::log(ro);
        s.R1roro = -U / std::pow(ro, 2) - 2 * s.Ero / ro - std::log(ro) * s.Eroro -
                   2 * std::log(ro) - 2;
    } else {
        s.R1 = std::pow(ro, i - 2) * U;
        s.R1ro = (i - 2) * std::pow(ro, i - 3) * U - std::pow(ro, i - 2) * s.Ero;
        s.R1roro = (i - 2) * (i - 3) * std::pow(ro, i - 4) * U -
                   2 * (i - 2) * std::pow(ro, i - 3) * s.Ero - std::pow(ro, i - 2) * s.Eroro;
    }
}

void t1_kind(CalcState& s, int j)
{
    s.T1 = std::pow(s.T, j - 1);
    s.T1T = (j - 1) * std::pow(s.T, j - 2);
    s.T1TT = (j - 2) * (j - 1) * std::pow(s.T, j - 3);
}

}  // namespace

void Helmholtz_H2O_Reference(CalcState& s)
{
    const double ro = s.ro, T = s.T;
    const double* c = s.a0Coef();
    s.dlro = ro - 1;

    s.A0 = 0;
    s.A0T = 0;
    s.A0TT = 0;
    for (int k = 1; k <= 6; ++k) s.A0 += c[k] * std::pow(-T, 2 - k);
    s.A0 += (c[7] * T + c[8]) * std::log(-T);
    for (int k = 1; k <= 6; ++k) s.A0T += (2 - k) * c[k] * std::pow(-T, 1 - k);
    s.A0T = -s.A0T + c[7] * (std::log(-T) + 1) + c[8] / T;
    for (int k = 1; k <= 6; ++k) s.A0TT += (2 - k) * (1 - k) * c[k] * std::pow(-T, -k);
    s.A0TT = s.A0TT + c[7] / T - c[8] / std::pow(T, 2);

    s.E = std::exp(-std::pow(ro, 2));
    s.Ero = -2 * ro * s.E;
    s.Eroro = -2 * s.E - 2 * ro * s.Ero;
    s.UnitMinusE = ro < 2e-05 ? std::pow(ro, 2) : 1 - s.E;

    s.tmp = -s.alpha * s.dlT - s.beta * s.dlro - s.gamma * std::pow(s.dlT, 2) -
            s.dlta * std::pow(s.dlro, 2);
    s.G = static_cast<float>(s.tmp) < -88 ? -1.01e-38 : std::exp(s.tmp);
    const double gro = -s.beta - 2 * s.dlta * s.dlro;
    const double gT = -s.alpha - 2 * s.gamma * s.dlT;
    s.Gro = gro * s.G;
    s.Groro = gro * (gro * s.G) - 2 * s.dlta * s.G;
    s.GT = gT * s.G;
    s.GTT = gT * (gT * s.G) - 2 * s.gamma * s.G;
    s.GroT = gro * s.GT;

    s.H = std::exp(-s.nu * (T + 3));
    s.HT = -s.nu * s.H;
    s.HTT = std::pow(s.nu, 2) * s.H;

    s.W1 = s.W1ro = s.W1roro = s.W1T = s.W1TT = s.W1roT = 0;
    for (int i = 1; i <= 7; ++i) {
        r1_kind(s, i);
        for (int j = 1; j <= 7; ++j) {
            t1_kind(s, j);
            const double C = s.w1Coef()[i][j];
            s.W1 += C * s.R1 * s.T1;
            s.W1ro += C * s.R1ro * s.T1;
            s.W1roro += C * s.R1roro * s.T1;
            s.W1T += C * s.R1 * s.T1T;
            s.W1TT += C * s.R1 * s.T1TT;
            s.W1roT += C * s.R1ro * s.T1T;
        }
    }
    s.W2 = s.W2ro = s.W2roro = s.W2T = s.W2TT = s.W2roT = 0;
    for (int i = 1; i <= 7; ++i) {
        s.R2 = std::pow(ro, i);
        s.R2ro = i * std::pow(ro, i - 1);
        s.R2roro = i * (i - 1) * std::pow(ro, i - 2);
        for (int j = 1; j <= 12; ++j) {
            t1_kind(s, j);
            const double C = s.w2Coef()[i][j];
            s.W2 += C * s.R2 * s.T1;
            s.W2ro += C * s.R2ro * s.T1;
            s.W2roro += C * s.R2roro * s.T1;
            s.W2T += C * s.R2 * s.T1T;
            s.W2TT += C * s.R2 * s.T1TT;
            s.W2roT += C * s.R2ro * s.T1T;
        }
    }
    s.W3 = s.W3ro = s.W3roro = s.W3T = s.W3TT = s.W3roT = 0;
    for (int i = 1; i <= 5; ++i) {
        s.R3 = std::pow(ro, i + 1);
        s.R3ro = (i + 1) * std::pow(ro, i);
        s.R3roro = (i + 1) * i * std::pow(ro, i - 1);
        for (int j = 1; j <= 5; ++j) {
            s.T2 = std::pow(T, j + 1);
            s.T2T = (j + 1) * std::pow(T, j);
            s.T2TT = (j + 1) * j * std::pow(T, j - 1);
            const double C = s.w3Coef()[i][j];
            s.W3 += C * s.R3 * s.T2;
            s.W3ro += C * s.R3ro * s.T2;
            s.W3roro += C * s.R3roro * s.T2;
            s.W3T += C * s.R3 * s.T2T;
            s.W3TT += C * s.R3 * s.T2TT;
            s.W3roT += C * s.R3ro * s.T2T;
        }
    }
    s.W4 = s.W4ro = s.W4roro = s.W4T = s.W4TT = s.W4roT = 0;
    for (int i = 1; i <= 5; ++i) {
        r1_kind(s, i);
        for (int j = 1; j <= 10; ++j) {
            t1_kind(s, j);
            const double C = s.w4Coef()[i][j];
            s.W4 += C * s.R1 * s.T1;
            s.W4ro += C * s.R1ro * s.T1;
            s.W4roro += C * s.R1roro * s.T1;
            s.W4T += C * s.R1 * s.T1T;
            s.W4TT += C * s.R1 * s.T1TT;
            s.W4roT += C * s.R1ro * s.T1T;
        }
    }

    const double E = s.E, G = s.G, H = s.H;
    s.A = std::log(ro) + s.A0 + s.W1 + s.W2 * E + G * s.W3 + s.W4 * H;
    s.Aro = 1 / ro + s.W1ro + s.Ero * s.W2 + s.W2ro * E + s.Gro * s.W3 + s.W3ro * G + H * s.W4ro;
    s.Aroro = -1 / std::pow(ro, 2) + s.W1roro + s.Eroro * s.W2 + 2 * s.Ero * s.W2ro +
              s.W2roro * E + s.W3 * s.Groro + 2 * s.Gro * s.W3ro + G * s.W3roro + s.W4roro * H;
    s.AT = s.W1T + s.A0T + s.W2T * E + s.GT * s.W3 + s.W3T * G + s.W4 * s.HT + H * s.W4T;
    s.ATT = s.W1TT + s.A0TT + s.W2TT * E + s.W3 * s.GTT + 2 * s.GT * s.W3T + G * s.W3TT +
            s.W4 * s.HTT + 2 * s.HT * s.W4T + s.W4TT * H;
    s.AroT = s.W1roT + s.W2T * s.Ero + s.W2roT * E + s.W3 * s.GroT + s.W3T * s.Gro +
             s.W3ro * s.GT + s.W3roT * G + s.HT * s.W4ro + H * s.W4roT;
}

}  // namespace aqvis::test
