#include "water/helmholtz.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstddef>
#include <utility>

#include "core/coefficients.h"
#include "core/fp.h"
#include "core/value_memo.h"

// The three kernels are also compiled for processors with AVX2, picked when
// the program starts: the same operations in the same order, in fewer
// instructions (no register copies before each operation).
#if defined(__x86_64__) && defined(__ELF__) && !defined(__clang__)
#define AQ_WIDE_KERNEL __attribute__((target_clones("avx2", "default"), flatten))
#else
#define AQ_WIDE_KERNEL
#endif

namespace aqvis {

namespace {

using Pair = HelmholtzPair;

// Accumulates, for every density index i of a family, the sums over j of
// Coef(i, j) times the temperature function and its first T derivative (the
// two lanes of S[i]) and times its second T derivative (STT[i]).  Only the
// non-zero entries are visited; their positions and values are known when the
// program is compiled, so the loop unrolls into straight-line code.
template <const auto& Entries, std::size_t... K>
void temperature_sums(const Pair* __restrict F, const double* __restrict fTT,
                      Pair* __restrict S, double* __restrict STT, std::index_sequence<K...>)
{
    ((S[Entries[K].i] += Entries[K].value * F[Entries[K].j],
      STT[Entries[K].i] += Entries[K].value * fTT[Entries[K].j]),
     ...);
}

template <const auto& Entries, std::size_t NI>
void temperature_sums(const Pair* F, const double* fTT, Pair (&S)[NI], double (&STT)[NI])
{
    for (std::size_t i = 0; i < NI; ++i) {
        S[i] = Pair{0.0, 0.0};
        STT[i] = 0.0;
    }
    constexpr std::size_t n = sizeof(Entries) / sizeof(Entries[0]);
    temperature_sums<Entries>(F, fTT, S, STT, std::make_index_sequence<n>{});
}

}  // namespace

AQ_WIDE_KERNEL void Helmholtz_Temperature_Terms(const CalcState& s, HelmholtzTemperatureTerms& t)
{
    const double T = s.T;  // negative
    const double mT = -T;  // Tcr / TK > 0
    const double* c = s.a0Coef();

    // Ideal-gas part: powers (-T)^k for k = -6..1 (index k + 6).
    double mp[8];
    mp[6] = 1.0;
    mp[7] = mT;
    const double imT = 1.0 / mT;
    mp[5] = imT;
    for (int k = 4; k >= 0; --k) mp[k] = mp[k + 1] * imT;
    const double lnmT = fp::xlog(mT);
    double A0 = 0.0, A0T = 0.0, A0TT = 0.0;
    for (int k = 1; k <= 6; ++k) A0 += c[k] * mp[2 - k + 6];
    A0 += (c[7] * T + c[8]) * lnmT;
    for (int k = 1; k <= 6; ++k) A0T += (2 - k) * c[k] * mp[1 - k + 6];
    A0T = -A0T + c[7] * (lnmT + 1.0) + c[8] / T;
    for (int k = 1; k <= 6; ++k) A0TT += (2 - k) * (1 - k) * c[k] * mp[-k + 6];
    A0TT = A0TT + c[7] / T - c[8] / (T * T);
    t.A0 = A0;
    t.A0T = A0T;
    t.A0TT = A0TT;

    t.H = std::exp(-s.nu * (T + 3.0));
    t.HT = -s.nu * t.H;
    t.HTT = s.nu * s.nu * t.H;

    // Powers T^k for k = -2..11 (index k + 2); T is negative, so they
    // alternate in sign.
    double tp[14];
    tp[2] = 1.0;
    tp[1] = 1.0 / T;
    tp[0] = tp[1] * tp[1];
    for (int k = 1; k <= 11; ++k) tp[k + 2] = tp[k + 1] * T;
    auto Tpow = [&](int k) { return tp[k + 2]; };

    // T1 = T^(j-1) with its derivatives (j = 1..12); T2 = T^(j+1) (j = 1..5).
    // F holds each function with its first derivative, FTT the second.
    Pair F1[13], F2[6];
    double F1TT[13], F2TT[6];
    for (int j = 1; j <= 12; ++j) {
        F1[j] = Pair{Tpow(j - 1), (j - 1) * Tpow(j - 2)};
        F1TT[j] = (j - 2) * (j - 1) * Tpow(j - 3);
    }
    for (int j = 1; j <= 5; ++j) {
        F2[j] = Pair{Tpow(j + 1), (j + 1) * Tpow(j)};
        F2TT[j] = (j + 1) * j * Tpow(j - 1);
    }
    temperature_sums<coef::W1>(F1, F1TT, t.S1, t.S1TT);
    temperature_sums<coef::W2>(F1, F1TT, t.S2, t.S2TT);
    temperature_sums<coef::W3>(F2, F2TT, t.S3, t.S3TT);
    temperature_sums<coef::W4>(F1, F1TT, t.S4, t.S4TT);
    t.T1 = F1[10][0];
    t.T1T = F1[10][1];
    t.T1TT = F1TT[10];
    t.T2 = F2[5][0];
    t.T2T = F2[5][1];
    t.T2TT = F2TT[5];
}

namespace {

// Besides T, the terms depend on the ideal-gas coefficients and nu.
struct KeptTerms {
    ValueMemo<HelmholtzTemperatureTerms, 10, 8> memo;  // a0 coefficients 1..8
    std::uint64_t nu = 0;
};
thread_local KeptTerms kept_terms;

}  // namespace

const HelmholtzTemperatureTerms& Kept_Temperature_Terms(const CalcState& s)
{
    KeptTerms& k = kept_terms;
    const std::uint64_t nu = std::bit_cast<std::uint64_t>(s.nu);
    if (nu != k.nu) {
        k.memo = {};
        k.nu = nu;
    }
    k.memo.Match(s.a0Coef() + 1);
    return k.memo.Get(s.T, [&s](HelmholtzTemperatureTerms& t) { Helmholtz_Temperature_Terms(s, t); });
}

namespace {

template <bool Strict>
void density_part(CalcState& s, const HelmholtzTemperatureTerms& t, HelmholtzDensityTerms& d)
{
    const double ro = s.ro;
    AQ_SET_IF(s.dlro, ro - 1.0);

    AQ_SET_IF(s.A0, t.A0);
    AQ_SET_IF(s.A0T, t.A0T);
    AQ_SET_IF(s.A0TT, t.A0TT);

    // Density damping factor E = exp(-ro^2).
    AQ_SET_IF(s.E, std::exp(-(ro * ro)));
    AQ_SET_IF(s.Ero, -2.0 * ro * s.E);
    AQ_SET_IF(s.Eroro, -2.0 * s.E - 2.0 * ro * s.Ero);
    // 1 - E, taken as ro^2 at small density where the difference loses digits.
    AQ_SET_IF(s.UnitMinusE, ro < 2e-05 ? ro * ro : 1.0 - s.E);
    const double U = s.UnitMinusE;

    // Gaussian weight centred on the critical point.  The exponent is compared
    // with -88 in single precision; below it G is a tiny negative constant.
    AQ_SET_IF(s.tmp, -s.alpha * s.dlT - s.beta * s.dlro - s.gamma * (s.dlT * s.dlT) -
                      s.dlta * (s.dlro * s.dlro));
    if (static_cast<float>(s.tmp) < -88.0f)
        s.G = -1.01e-38;
    else
        AQ_SET_IF(s.G, std::exp(s.tmp));
    const double gro = -s.beta - 2.0 * s.dlta * s.dlro;
    const double gT = -s.alpha - 2.0 * s.gamma * s.dlT;
    AQ_SET_IF(s.Gro, gro * s.G);
    AQ_SET_IF(s.Groro, gro * (gro * s.G) - 2.0 * s.dlta * s.G);
    AQ_SET_IF(s.GT, gT * s.G);
    AQ_SET_IF(s.GTT, gT * (gT * s.G) - 2.0 * s.gamma * s.G);
    AQ_SET_IF(s.GroT, gro * s.GT);

    AQ_SET_IF(s.H, t.H);
    AQ_SET_IF(s.HT, t.HT);
    AQ_SET_IF(s.HTT, t.HTT);

    // Powers ro^k for k = -3..7 (index k + 3).
    double* rp = d.rp;
    rp[3] = 1.0;
    rp[4] = ro;
    for (int k = 2; k <= 7; ++k) rp[k + 3] = rp[k + 2] * ro;
    rp[2] = 1.0 / ro;
    rp[1] = rp[2] * rp[2];
    rp[0] = rp[1] * rp[2];
    auto rpow = [rp](int k) { return rp[k + 3]; };
    AQ_SET_IF(d.lnro, fp::xlog(ro));
    const double lnro = d.lnro;
    const double E = s.E, Ero = s.Ero, Eroro = s.Eroro;

    // First and second ro derivatives of the R1 kind (i = 1..7), with the
    // logarithmic member at i = 2; the values themselves are needed only
    // when the evaluation is completed.
    for (int i = 1; i <= 7; ++i) {
        if (i == 2) {
            d.R1d[i] = Pair{U / ro - lnro * Ero - 2.0 * ro * lnro,
                            -U / (ro * ro) - 2.0 * Ero / ro - lnro * Eroro - 2.0 * lnro - 2.0};
        } else {
            d.R1d[i] = Pair{(i - 2) * rpow(i - 3) * U - rpow(i - 2) * Ero,
                            (i - 2) * (i - 3) * rpow(i - 4) * U - 2 * (i - 2) * rpow(i - 3) * Ero -
                                rpow(i - 2) * Eroro};
        }
    }

    // Each pair holds {W, dW/dro} or {dW/dro, d2W/dro2}.
    Pair W1d{0.0, 0.0}, W2d{0.0, 0.0}, W3d{0.0, 0.0}, W4d{0.0, 0.0};
    double W2 = 0, W3 = 0;
    for (int i = 1; i <= 7; ++i) {
        const double S1 = t.S1[i][0], S2 = t.S2[i][0];
        W1d += d.R1d[i] * S1;
        W2 += rpow(i) * S2;
        W2d += Pair{i * rpow(i - 1), i * (i - 1) * rpow(i - 2)} * S2;
    }
    for (int i = 1; i <= 5; ++i) {
        const double S3 = t.S3[i][0], S4 = t.S4[i][0];
        W3 += rpow(i + 1) * S3;
        W3d += Pair{(i + 1) * rpow(i), (i + 1) * i * rpow(i - 1)} * S3;
        W4d += d.R1d[i] * S4;
    }
    AQ_SET_IF(s.W1ro, W1d[0]);
    AQ_SET_IF(s.W1roro, W1d[1]);
    AQ_SET_IF(s.W2, W2);
    AQ_SET_IF(s.W2ro, W2d[0]);
    AQ_SET_IF(s.W2roro, W2d[1]);
    AQ_SET_IF(s.W3, W3);
    AQ_SET_IF(s.W3ro, W3d[0]);
    AQ_SET_IF(s.W3roro, W3d[1]);
    AQ_SET_IF(s.W4ro, W4d[0]);
    AQ_SET_IF(s.W4roro, W4d[1]);

    // The critical-region switching term of this equation of state has zero
    // amplitude (C001 = C002 = 0), so it adds nothing and is not evaluated.
    AQ_SET_IF(s.Aro, 1.0 / ro + s.W1ro + Ero * s.W2 + s.W2ro * E + s.Gro * s.W3 + s.W3ro * s.G +
                      s.H * s.W4ro);
    AQ_SET_IF(s.Aroro, -1.0 / (ro * ro) + s.W1roro + Eroro * s.W2 + 2.0 * Ero * s.W2ro +
                        s.W2roro * E + s.W3 * s.Groro + 2.0 * s.Gro * s.W3ro + s.G * s.W3roro +
                        s.W4roro * s.H);
}

}  // namespace

AQ_WIDE_KERNEL void Helmholtz_Density_Part(CalcState& s, const HelmholtzTemperatureTerms& t,
                            HelmholtzDensityTerms& d)
{
    if (fp::strict)
        density_part<true>(s, t, d);
    else
        density_part<false>(s, t, d);
}

namespace {

template <bool Strict>
void complete(CalcState& s, const HelmholtzTemperatureTerms& t, const HelmholtzDensityTerms& d)
{
    // The density functions at the ro of the evaluation (the state's ro may
    // have moved on since).
    const double* rp = d.rp;
    auto rpow = [rp](int k) { return rp[k + 3]; };
    const double ro = rp[4];
    const double lnro = d.lnro;
    const double U = s.UnitMinusE;
    double R1[8];
    for (int i = 1; i <= 7; ++i)
        R1[i] = i == 2 ? ro * ro / 2.0 + lnro * U - ro * ro * lnro : rpow(i - 2) * U;

    // {W, dW/dT} pairs and the rest one by one.
    Pair W1p{0.0, 0.0}, W4p{0.0, 0.0};
    double W1TT = 0, W1roT = 0, W2T = 0, W2TT = 0, W2roT = 0;
    double W3T = 0, W3TT = 0, W3roT = 0, W4TT = 0, W4roT = 0;
    for (int i = 1; i <= 7; ++i) {
        const double R2 = rpow(i), R2ro = i * rpow(i - 1);
        W1p += R1[i] * t.S1[i];
        W1TT += R1[i] * t.S1TT[i];
        W1roT += d.R1d[i][0] * t.S1[i][1];
        W2T += R2 * t.S2[i][1];
        W2TT += R2 * t.S2TT[i];
        W2roT += R2ro * t.S2[i][1];
    }
    for (int i = 1; i <= 5; ++i) {
        const double R3 = rpow(i + 1), R3ro = (i + 1) * rpow(i);
        W3T += R3 * t.S3[i][1];
        W3TT += R3 * t.S3TT[i];
        W3roT += R3ro * t.S3[i][1];
        W4p += R1[i] * t.S4[i];
        W4TT += R1[i] * t.S4TT[i];
        W4roT += d.R1d[i][0] * t.S4[i][1];
    }
    AQ_SET_IF(s.W1, W1p[0]);
    AQ_SET_IF(s.W1T, W1p[1]);
    AQ_SET_IF(s.W1TT, W1TT);
    AQ_SET_IF(s.W1roT, W1roT);
    AQ_SET_IF(s.W2T, W2T);
    AQ_SET_IF(s.W2TT, W2TT);
    AQ_SET_IF(s.W2roT, W2roT);
    AQ_SET_IF(s.W3T, W3T);
    AQ_SET_IF(s.W3TT, W3TT);
    AQ_SET_IF(s.W3roT, W3roT);
    AQ_SET_IF(s.W4, W4p[0]);
    AQ_SET_IF(s.W4T, W4p[1]);
    AQ_SET_IF(s.W4TT, W4TT);
    AQ_SET_IF(s.W4roT, W4roT);

    const double E = s.E, G = s.G, H = s.H;
    AQ_SET_IF(s.A, d.lnro + s.A0 + s.W1 + s.W2 * E + G * s.W3 + s.W4 * H);
    AQ_SET_IF(s.AT, s.W1T + s.A0T + s.W2T * E + s.GT * s.W3 + s.W3T * G + s.W4 * s.HT + H * s.W4T);
    AQ_SET_IF(s.ATT, s.W1TT + s.A0TT + s.W2TT * E + s.W3 * s.GTT + 2.0 * s.GT * s.W3T + G * s.W3TT +
                      s.W4 * s.HTT + 2.0 * s.HT * s.W4T + s.W4TT * H);
    AQ_SET_IF(s.AroT, s.W1roT + s.W2T * s.Ero + s.W2roT * E + s.W3 * s.GroT + s.W3T * s.Gro +
                       s.W3ro * s.GT + s.W3roT * G + s.HT * s.W4ro + H * s.W4roT);

    // The working functions hold the values of the last summation index.
    s.R1 = R1[5];
    s.R1ro = d.R1d[5][0];
    s.R1roro = d.R1d[5][1];
    s.R2 = rpow(7);
    s.R2ro = 7 * rpow(6);
    s.R2roro = 7 * 6 * rpow(5);
    s.R3 = rpow(6);
    s.R3ro = 6 * rpow(5);
    s.R3roro = 6 * 5 * rpow(4);
    s.T1 = t.T1;
    s.T1T = t.T1T;
    s.T1TT = t.T1TT;
    s.T2 = t.T2;
    s.T2T = t.T2T;
    s.T2TT = t.T2TT;
    s.iIdx = 6;
    s.jIdx = 11;
}

}  // namespace

AQ_WIDE_KERNEL void Helmholtz_Complete(CalcState& s, const HelmholtzTemperatureTerms& t,
                        const HelmholtzDensityTerms& d)
{
    if (fp::strict)
        complete<true>(s, t, d);
    else
        complete<false>(s, t, d);
}

void Helmholtz_H2O(CalcState& s)
{
    HelmholtzTemperatureTerms t;
    HelmholtzDensityTerms d;
    Helmholtz_Temperature_Terms(s, t);
    Helmholtz_Density_Part(s, t, d);
    Helmholtz_Complete(s, t, d);
}

}  // namespace aqvis
