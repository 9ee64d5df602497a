#include "helmholtz_reference.h"

#include <cmath>
#include <initializer_list>

#include "water/helmholtz_coefficients.h"

namespace aqvis::test {

namespace {

using std::pow;

// A function of one variable with its first two derivatives.
struct F {
    double v, d1, d2;
};

// Density function of the R1 kind for index i; E = {E, Ero, Eroro}.
F r1_kind(double ro, double U, const F& E, int i)
{
    const double l = std::log(ro);
    if (i == 2)
        return {pow(ro, 2) / 2 + l * U - pow(ro, 2) * l, U / ro - l * E.d1 - 2 * ro * l,
                -U / pow(ro, 2) - 2 * E.d1 / ro - l * E.d2 - 2 * l - 2};
    return {pow(ro, i - 2) * U, (i - 2) * pow(ro, i - 3) * U - pow(ro, i - 2) * E.d1,
            (i - 2) * (i - 3) * pow(ro, i - 4) * U - 2 * (i - 2) * pow(ro, i - 3) * E.d1 -
                pow(ro, i - 2) * E.d2};
}

// One double sum X = sum C(i,j) R_i Theta_j with its six derivatives.
struct Sum {
    double X = 0, Xro = 0, Xroro = 0, XT = 0, XTT = 0, XroT = 0;
};

template <class Entries, class R, class Theta>
Sum double_sum(const Entries& table, R density, Theta temperature)
{
    Sum s;
    for (const coef::Entry& e : table) {
        const F r = density(e.i), t = temperature(e.j);
        s.X += e.value * r.v * t.v;
        s.Xro += e.value * r.d1 * t.v;
        s.Xroro += e.value * r.d2 * t.v;
        s.XT += e.value * r.v * t.d1;
        s.XTT += e.value * r.v * t.d2;
        s.XroT += e.value * r.d1 * t.d1;
    }
    return s;
}

}  // namespace

HelmholtzReference Helmholtz_H2O_Reference(double T, double ro)
{
    using namespace coef;
    const double* c = A0;
    const double dlT = T + 1, dlro = ro - 1;
    F a0{0, 0, 0};
    for (int k = 1; k <= 6; ++k) a0.v += c[k] * pow(-T, 2 - k);
    a0.v += (c[7] * T + c[8]) * std::log(-T);
    for (int k = 1; k <= 6; ++k) a0.d1 += (2 - k) * c[k] * pow(-T, 1 - k);
    a0.d1 = -a0.d1 + c[7] * (std::log(-T) + 1) + c[8] / T;
    for (int k = 1; k <= 6; ++k) a0.d2 += (2 - k) * (1 - k) * c[k] * pow(-T, -k);
    a0.d2 = a0.d2 + c[7] / T - c[8] / pow(T, 2);

    F E{std::exp(-pow(ro, 2)), 0, 0};
    E.d1 = -2 * ro * E.v;
    E.d2 = -2 * E.v - 2 * ro * E.d1;
    const double U = ro < 2e-05 ? pow(ro, 2) : 1 - E.v;

    const double g = -alpha * dlT - beta * dlro - gamma * pow(dlT, 2) - dlta * pow(dlro, 2);
    const double G = static_cast<float>(g) < -88 ? -1.01e-38 : std::exp(g);
    const double gro = -beta - 2 * dlta * dlro, gT = -alpha - 2 * gamma * dlT;
    const double Gro = gro * G, Groro = gro * (gro * G) - 2 * dlta * G, GT = gT * G;
    const double GTT = gT * (gT * G) - 2 * gamma * G, GroT = gro * GT;
    const double H = std::exp(-nu * (T + 3)), HT = -nu * H, HTT = pow(nu, 2) * H;

    auto r1 = [&](int i) { return r1_kind(ro, U, E, i); };
    auto r2 = [&](int i) { return F{pow(ro, i), i * pow(ro, i - 1), i * (i - 1.0) * pow(ro, i - 2)}; };
    auto r3 = [&](int i) { return F{pow(ro, i + 1), (i + 1) * pow(ro, i), (i + 1.0) * i * pow(ro, i - 1)}; };
    auto t1 = [&](int j) {
        return F{pow(T, j - 1), (j - 1) * pow(T, j - 2), (j - 2) * (j - 1.0) * pow(T, j - 3)};
    };
    auto t2 = [&](int j) { return F{pow(T, j + 1), (j + 1) * pow(T, j), (j + 1.0) * j * pow(T, j - 1)}; };
    const Sum w1 = double_sum(W1, r1, t1), w2 = double_sum(W2, r2, t1);
    const Sum w3 = double_sum(W3, r3, t2), w4 = double_sum(W4, r1, t1);

    HelmholtzReference r;
    Helmholtz& h = r.h;
    h.A = std::log(ro) + a0.v + w1.X + w2.X * E.v + G * w3.X + w4.X * H;
    h.Aro = 1 / ro + w1.Xro + E.d1 * w2.X + w2.Xro * E.v + Gro * w3.X + w3.Xro * G + H * w4.Xro;
    h.Aroro = -1 / pow(ro, 2) + w1.Xroro + E.d2 * w2.X + 2 * E.d1 * w2.Xro + w2.Xroro * E.v +
              w3.X * Groro + 2 * Gro * w3.Xro + G * w3.Xroro + w4.Xroro * H;
    h.AT = w1.XT + a0.d1 + w2.XT * E.v + GT * w3.X + w3.XT * G + w4.X * HT + H * w4.XT;
    h.ATT = w1.XTT + a0.d2 + w2.XTT * E.v + w3.X * GTT + 2 * GT * w3.XT + G * w3.XTT + w4.X * HTT +
            2 * HT * w4.XT + w4.XTT * H;
    h.AroT = w1.XroT + w2.XT * E.d1 + w2.XroT * E.v + w3.X * GroT + w3.XT * Gro + w3.Xro * GT +
             w3.XroT * G + HT * w4.Xro + H * w4.XroT;

    r.scale = 1.0;
    for (const Sum& w : {w1, w2, w3, w4})
        for (double v : {w.X, w.Xro, w.Xroro, w.XT, w.XTT, w.XroT}) r.scale = std::fmax(r.scale, std::fabs(v));
    for (double v : {a0.v, a0.d1, a0.d2, 1 / ro, 1 / (ro * ro)}) r.scale = std::fmax(r.scale, std::fabs(v));
    // The Gaussian-weighted piece can dominate inside the two-phase region.
    for (double gw : {G, Gro, Groro, GT, GTT, GroT})
        for (double w : {w3.X, w3.Xro, w3.Xroro, w3.XT, w3.XTT, w3.XroT})
            r.scale = std::fmax(r.scale, std::fabs(gw * w));
    return r;
}

}  // namespace aqvis::test
