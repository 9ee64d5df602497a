#include "water/helmholtz.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstddef>
#include <utility>

#include "core/fp.h"
#include "core/value_memo.h"
#include "water/helmholtz_coefficients.h"

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

AQ_WIDE_KERNEL void Helmholtz_Temperature_Terms(double T, HelmholtzTemperatureTerms& t)
{
    const double mT = -T;  // Tcr / TK > 0
    const double* c = coef::A0;
    t.T = T;
    t.dlT = T + 1.0;

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

    t.H = std::exp(-coef::nu * (T + 3.0));
    t.HT = -coef::nu * t.H;
    t.HTT = coef::nu * coef::nu * t.H;

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
}

namespace {

thread_local ValueMemo<HelmholtzTemperatureTerms, 10> kept_terms;

}  // namespace

const HelmholtzTemperatureTerms& Kept_Temperature_Terms(double T)
{
    return kept_terms.Get(T, [T](HelmholtzTemperatureTerms& t) { Helmholtz_Temperature_Terms(T, t); });
}

namespace {

// The second ro derivatives of the two weights, which the density part
// needs but the completion does not.
struct Curvatures {
    double Eroro, Groro;
};

// The density damping E = exp(-ro^2) and the Gaussian weight G with their
// derivatives, into d.
template <bool Strict>
Curvatures weights(const HelmholtzTemperatureTerms& t, double ro, HelmholtzDensityTerms& d)
{
    double dlro;
    AQ_SET_IF(dlro, ro - 1.0);

    double E, Ero, Eroro;
    AQ_SET_IF(E, std::exp(-(ro * ro)));
    AQ_SET_IF(Ero, -2.0 * ro * E);
    AQ_SET_IF(Eroro, -2.0 * E - 2.0 * ro * Ero);
    // 1 - E, taken as ro^2 at small density where the difference loses digits.
    double U;
    AQ_SET_IF(U, ro < 2e-05 ? ro * ro : 1.0 - E);
    d.E = E;
    d.Ero = Ero;
    d.U = U;

    // Gaussian weight centred on the critical point.  The exponent is compared
    // with -88 in single precision; below it G is a tiny negative constant.
    const double dlT = t.dlT;
    double g, G;
    AQ_SET_IF(g, -coef::alpha * dlT - coef::beta * dlro - coef::gamma * (dlT * dlT) -
                     coef::dlta * (dlro * dlro));
    if (static_cast<float>(g) < -88.0f)
        G = -1.01e-38;
    else
        AQ_SET_IF(G, std::exp(g));
    const double gro = -coef::beta - 2.0 * coef::dlta * dlro;
    const double gT = -coef::alpha - 2.0 * coef::gamma * dlT;
    double Gro, Groro;
    AQ_SET_IF(Gro, gro * G);
    AQ_SET_IF(Groro, gro * (gro * G) - 2.0 * coef::dlta * G);
    AQ_SET_IF(d.GT, gT * G);
    AQ_SET_IF(d.GTT, gT * (gT * G) - 2.0 * coef::gamma * G);
    AQ_SET_IF(d.GroT, gro * d.GT);
    d.G = G;
    d.Gro = Gro;
    return {Eroro, Groro};
}

// The powers of ro, ln ro and the first and second ro derivatives of the R1
// kind (i = 1..7, with the logarithmic member at i = 2), into d; the values
// of the R1 kind are needed only when the evaluation is completed.
template <bool Strict>
void density_functions(double ro, double Eroro, HelmholtzDensityTerms& d)
{
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
    const double lnro = d.lnro, U = d.U, Ero = d.Ero;
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
}

template <bool Strict>
void density_part(const HelmholtzTemperatureTerms& t, double ro, HelmholtzDensityTerms& d)
{
    d.ro = ro;
    const Curvatures c = weights<Strict>(t, ro, d);
    density_functions<Strict>(ro, c.Eroro, d);
    const double* rp = d.rp;
    auto rpow = [rp](int k) { return rp[k + 3]; };

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
    double W1ro, W1roro, W2ro, W2roro, W3roro, W4roro;
    AQ_SET_IF(W1ro, W1d[0]);
    AQ_SET_IF(W1roro, W1d[1]);
    AQ_SET_IF(d.W2, W2);
    AQ_SET_IF(W2ro, W2d[0]);
    AQ_SET_IF(W2roro, W2d[1]);
    AQ_SET_IF(d.W3, W3);
    AQ_SET_IF(d.W3ro, W3d[0]);
    AQ_SET_IF(W3roro, W3d[1]);
    AQ_SET_IF(d.W4ro, W4d[0]);
    AQ_SET_IF(W4roro, W4d[1]);

    const double H = t.H, E = d.E, Ero = d.Ero, G = d.G, Gro = d.Gro;
    AQ_SET_IF(d.Aro, 1.0 / ro + W1ro + Ero * W2 + W2ro * E + Gro * W3 + d.W3ro * G + H * d.W4ro);
    AQ_SET_IF(d.Aroro, -1.0 / (ro * ro) + W1roro + c.Eroro * W2 + 2.0 * Ero * W2ro + W2roro * E +
                           W3 * c.Groro + 2.0 * Gro * d.W3ro + G * W3roro + W4roro * H);
}

}  // namespace

AQ_WIDE_KERNEL void Helmholtz_Density_Part(const HelmholtzTemperatureTerms& t, double ro,
                                           HelmholtzDensityTerms& d)
{
    if (fp::strict)
        density_part<true>(t, ro, d);
    else
        density_part<false>(t, ro, d);
}

namespace {

// The pieces of the four sums that the completion adds: the values and
// temperature derivatives at the ro of the density part.
struct CompletionSums {
    double W1, W1T, W1TT, W1roT, W2T, W2TT, W2roT, W3T, W3TT, W3roT, W4, W4T, W4TT, W4roT;
};

template <bool Strict>
CompletionSums completion_sums(const HelmholtzTemperatureTerms& t, const HelmholtzDensityTerms& d)
{
    const double* rp = d.rp;
    auto rpow = [rp](int k) { return rp[k + 3]; };
    const double ro = d.ro, lnro = d.lnro, U = d.U;
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
    CompletionSums w;
    AQ_SET_IF(w.W1, W1p[0]);
    AQ_SET_IF(w.W1T, W1p[1]);
    AQ_SET_IF(w.W1TT, W1TT);
    AQ_SET_IF(w.W1roT, W1roT);
    AQ_SET_IF(w.W2T, W2T);
    AQ_SET_IF(w.W2TT, W2TT);
    AQ_SET_IF(w.W2roT, W2roT);
    AQ_SET_IF(w.W3T, W3T);
    AQ_SET_IF(w.W3TT, W3TT);
    AQ_SET_IF(w.W3roT, W3roT);
    AQ_SET_IF(w.W4, W4p[0]);
    AQ_SET_IF(w.W4T, W4p[1]);
    AQ_SET_IF(w.W4TT, W4TT);
    AQ_SET_IF(w.W4roT, W4roT);
    return w;
}

template <bool Strict>
Helmholtz complete(const HelmholtzTemperatureTerms& t, const HelmholtzDensityTerms& d)
{
    const CompletionSums w = completion_sums<Strict>(t, d);
    const double W1 = w.W1, W1T = w.W1T, W1TT = w.W1TT, W1roT = w.W1roT, W2T = w.W2T, W2TT = w.W2TT;
    const double W2roT = w.W2roT, W3T = w.W3T, W3TT = w.W3TT, W3roT = w.W3roT, W4 = w.W4;
    const double W4T = w.W4T, W4TT = w.W4TT, W4roT = w.W4roT, lnro = d.lnro;
    const double E = d.E, G = d.G, H = t.H, W2 = d.W2, W3 = d.W3;
    Helmholtz h;
    h.Aro = d.Aro;
    h.Aroro = d.Aroro;
    AQ_SET_IF(h.A, lnro + t.A0 + W1 + W2 * E + G * W3 + W4 * H);
    AQ_SET_IF(h.AT, W1T + t.A0T + W2T * E + d.GT * W3 + W3T * G + W4 * t.HT + H * W4T);
    AQ_SET_IF(h.ATT, W1TT + t.A0TT + W2TT * E + W3 * d.GTT + 2.0 * d.GT * W3T + G * W3TT +
                         W4 * t.HTT + 2.0 * t.HT * W4T + W4TT * H);
    AQ_SET_IF(h.AroT, W1roT + W2T * d.Ero + W2roT * E + W3 * d.GroT + W3T * d.Gro + d.W3ro * d.GT +
                          W3roT * G + t.HT * d.W4ro + H * W4roT);
    return h;
}

}  // namespace

AQ_WIDE_KERNEL Helmholtz Helmholtz_Complete(const HelmholtzTemperatureTerms& t,
                                            const HelmholtzDensityTerms& d)
{
    if (fp::strict) return complete<true>(t, d);
    return complete<false>(t, d);
}

namespace {

template <bool Strict>
double slope(const HelmholtzTemperatureTerms& t, const HelmholtzDensityTerms& d)
{
    const double* rp = d.rp;
    auto rpow = [rp](int k) { return rp[k + 3]; };
    double W1roT = 0, W2T = 0, W2roT = 0, W3T = 0, W3roT = 0, W4roT = 0;
    for (int i = 1; i <= 7; ++i) {
        W1roT += d.R1d[i][0] * t.S1[i][1];
        W2T += rpow(i) * t.S2[i][1];
        W2roT += i * rpow(i - 1) * t.S2[i][1];
    }
    for (int i = 1; i <= 5; ++i) {
        W3T += rpow(i + 1) * t.S3[i][1];
        W3roT += (i + 1) * rpow(i) * t.S3[i][1];
        W4roT += d.R1d[i][0] * t.S4[i][1];
    }
    AQ_SET_IF(W1roT, W1roT);
    AQ_SET_IF(W2T, W2T);
    AQ_SET_IF(W2roT, W2roT);
    AQ_SET_IF(W3T, W3T);
    AQ_SET_IF(W3roT, W3roT);
    AQ_SET_IF(W4roT, W4roT);
    const double E = d.E, G = d.G, H = t.H, W3 = d.W3;
    double AroT;
    AQ_SET_IF(AroT, W1roT + W2T * d.Ero + W2roT * E + W3 * d.GroT + W3T * d.Gro + d.W3ro * d.GT +
                        W3roT * G + t.HT * d.W4ro + H * W4roT);
    return AroT;
}

}  // namespace

AQ_WIDE_KERNEL double Helmholtz_AroT(const HelmholtzTemperatureTerms& t, const HelmholtzDensityTerms& d)
{
    if (fp::strict) return slope<true>(t, d);
    return slope<false>(t, d);
}

Helmholtz Helmholtz_H2O(double T, double ro)
{
    HelmholtzTemperatureTerms t;
    HelmholtzDensityTerms d;
    Helmholtz_Temperature_Terms(T, t);
    Helmholtz_Density_Part(t, ro, d);
    return Helmholtz_Complete(t, d);
}

}  // namespace aqvis
