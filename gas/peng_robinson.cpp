#include "gas/peng_robinson.h"

#include <cmath>

#include "core/fp.h"

namespace aqvis::gas {

namespace {

// Peng and Robinson, Ind. Eng. Chem. Fundam. 15 (1976) 59: the constants of
// a and b at the critical point and the slope m(w) of alpha(T).
constexpr double kOmegaA = 0.45724;
constexpr double kOmegaB = 0.07780;
constexpr double kM0 = 0.37464, kM1 = 1.54226, kM2 = -0.26992;

// Volume translation of Peneloux, Rauzy and Freze, Fluid Phase Equilib. 8
// (1982) 7, in its Peng-Robinson form c = 0.50033 (0.25969 - Z_RA) RTc/Pc
// (Whitson and Brule, Phase Behavior, SPE Monograph 20 (2000)), with the
// Rackett compressibility from the acentric factor, Z_RA = 0.29056 -
// 0.08775 w (Yamada and Gunn, J. Chem. Eng. Data 18 (1973) 234).
constexpr double kShift = 0.50033, kShiftZ = 0.25969;
constexpr double kRackett0 = 0.29056, kRackett1 = 0.08775;

const double kSqrt2 = std::sqrt(2.0);

// One Newton step on the cubic z^3 + p2 z^2 + p1 z + p0.
double newton(double z, double p2, double p1, double p0)
{
    const double f = ((z + p2) * z + p1) * z + p0;
    const double df = (3.0 * z + 2.0 * p2) * z + p1;
    return df != 0.0 ? z - f / df : z;
}

}  // namespace

PureTerms Pure_Terms(const CriticalConstants& k, double TK)
{
    PureTerms t;
    double m, alpha, zra;
    AQ_SET(m, kM0 + (kM1 + kM2 * k.omega) * k.omega);
    AQ_SET(alpha, 1.0 + m * (1.0 - std::sqrt(TK / k.Tc)));
    AQ_SET(t.a, kOmegaA * kR * kR * k.Tc * k.Tc / k.Pc * alpha * alpha);
    AQ_SET(t.b, kOmegaB * kR * k.Tc / k.Pc);
    AQ_SET(zra, kRackett0 - kRackett1 * k.omega);
    AQ_SET(t.c, kShift * (kShiftZ - zra) * kR * k.Tc / k.Pc);
    return t;
}

double Gas_Root(double A, double B)
{
    const double p2 = -(1.0 - B);
    const double p1 = A - 3.0 * B * B - 2.0 * B;
    const double p0 = -(A * B - B * B - B * B * B);
    // z = t - p2/3 turns the cubic into t^3 + p t + q.
    double p, q, d, z;
    AQ_SET(p, p1 - p2 * p2 / 3.0);
    AQ_SET(q, (2.0 * p2 * p2 * p2 - 9.0 * p2 * p1) / 27.0 + p0);
    AQ_SET(d, q * q / 4.0 + p * p * p / 27.0);
    if (d > 0.0) {
        const double s = std::sqrt(d);
        AQ_SET(z, std::cbrt(-q / 2.0 + s) + std::cbrt(-q / 2.0 - s) - p2 / 3.0);
    } else {
        // Three real roots: the largest is the gas.
        const double r = std::sqrt(-p / 3.0);
        const double c = r > 0.0 ? std::fmax(-1.0, std::fmin(1.0, -q / (2.0 * r * r * r))) : 1.0;
        AQ_SET(z, 2.0 * r * std::cos(std::acos(c) / 3.0) - p2 / 3.0);
    }
    // The closed form loses digits when roots lie close; two Newton steps
    // bring it to the last bits.
    AQ_SET(z, newton(z, p2, p1, p0));
    AQ_SET(z, newton(z, p2, p1, p0));
    return z;
}

GasPhase Gas_Phase(const PureTerms& solute, const PureTerms& water, double kij, double y_water, double TK,
                   double Pbar)
{
    const double y2 = 1.0 - y_water;
    const double a12 = std::sqrt(solute.a * water.a) * (1.0 - kij);
    double a, b, c, A, B, RT;
    AQ_SET(a, y2 * y2 * solute.a + 2.0 * y2 * y_water * a12 + y_water * y_water * water.a);
    AQ_SET(b, y2 * solute.b + y_water * water.b);
    AQ_SET(c, y2 * solute.c + y_water * water.c);
    AQ_SET(RT, kR * TK);
    AQ_SET(A, a * Pbar / (RT * RT));
    AQ_SET(B, b * Pbar / RT);
    const double Z = Gas_Root(A, B);

    double lnZB, L, common;
    AQ_SET(lnZB, fp::xlog(Z - B));
    AQ_SET(L, fp::xlog((Z + (1.0 + kSqrt2) * B) / (Z + (1.0 - kSqrt2) * B)));
    AQ_SET(common, A / (2.0 * kSqrt2 * B) * L);
    const auto lnphi = [&](const PureTerms& i, double sum_a) {
        double v;
        AQ_SET(v, i.b / b * (Z - 1.0) - lnZB - common * (2.0 * sum_a / a - i.b / b) - i.c * Pbar / RT);
        return v;
    };
    GasPhase g;
    g.lnphi_solute = lnphi(solute, y2 * solute.a + y_water * a12);
    g.lnphi_water = lnphi(water, y2 * a12 + y_water * water.a);
    AQ_SET(g.Z, Z - c * Pbar / RT);
    AQ_SET(g.V, g.Z * RT / Pbar);
    return g;
}

}  // namespace aqvis::gas
