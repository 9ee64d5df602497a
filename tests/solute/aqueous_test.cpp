// The aqueous solute at infinite dilution: Henry constant, Gibbs energy,
// entropy, partial molar volume and heat capacity from the water properties,
// the ideal-gas functions and the parameters xi, a and b.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "core/errors.h"
#include "driver/derived.h"
#include "solute/aqueous.h"
#include "support/fresh_calculation.h"

namespace aqvis {
namespace {

constexpr double kR = 1.987191683;       // cal/(mol K)
constexpr double kRp = 83.14410001672;   // cm3 bar/(mol K)
constexpr double kMw = 18.0152;          // g/mol

CaseValues calc(const char* solute, double TC, double Pbar, test::Parameters p = {})
{
    return test::Fresh_Calculation(solute, TC, Pbar, p);
}

// Same water and ideal gases, other parameters: only the model is rerun.
AqueousValues with_parameters(const CaseValues& s, double xi, double a, double b)
{
    return Aqueous_Values(s, s.vapour, s.lnfH2O, s.gas, {xi, a, b});
}

double Lm() { return std::log(1000.0 / kMw); }
double Lrho(const CaseValues& s) { return std::log(kRp * s.TK * s.dH2O / kMw); }

struct StatePoint {
    const char* solute;
    double TC, Pbar;
};

const StatePoint kPoints[] = {
    {"N2", 25.0, 1.0},   {"CO2", 100.0, 50.0}, {"C4H10", 200.0, 100.0},
    {"HCl", 60.0, 5.0},  {"Ne", 300.0, 250.0}, {"H3BO3", 150.0, 20.0},
};

std::string where(const StatePoint& p)
{
    return std::string(p.solute) + " at " + std::to_string(p.TC) + " C, " + std::to_string(p.Pbar) +
           " bar";
}

TEST(AqueousModel, WaterFugacity)
{
    // On the saturation curve the liquid's fugacity is that of the saturated
    // vapour, Psat times a fugacity coefficient of about 0.999 at 25 C, 0.986
    // at 100 C and 0.90 at 200 C.  The ideal-gas data carry an error of their
    // own of about 0.02 in ln f.
    const struct {
        double TC, ln_phi;
    } points[] = {{25.0, -0.001}, {100.0, -0.014}, {200.0, -0.105}};
    for (const auto& p : points) {
        const CaseValues s = calc("N2", p.TC, 0.0);
        ASSERT_EQ(s.Pbar, s.Psat);
        EXPECT_NEAR(s.lnfH2O - std::log(s.Psat), p.ln_phi, 0.035) << p.TC;
    }
    // d(ln f)/dP = Vw / (R' T): the implied volume within 0.1 cm3/mol.
    for (double TC : {5.0, 50.0, 250.0}) {
        const CaseValues lo = calc("N2", TC, 99.5), hi = calc("N2", TC, 100.5);
        const CaseValues mid = calc("N2", TC, 100.0);
        EXPECT_NEAR((hi.lnfH2O - lo.lnfH2O) * kRp * mid.TK, mid.VH2O, 0.1) << TC;
    }
}

// The limits of the model: xi = a = b = 0 leaves the pure-water terms, xi = 1
// removes the water fugacity (moving every quantity only it uses changes
// nothing), and the Gibbs energy is the ideal gas plus the Henry constant in
// molality.
TEST(AqueousModel, LimitsAndTheGibbsEnergy)
{
    for (const StatePoint& p : kPoints) {
        SCOPED_TRACE(where(p));
        const CaseValues s = calc(p.solute, p.TC, p.Pbar);
        const AqueousValues none = with_parameters(s, 0.0, 0.0, 0.0);
        for (double v : {none.dB12, none.dB12d, none.TdB12d, none.dTdB12ddP, none.dTdB12ddT, none.d2TdB12ddT2})
            EXPECT_EQ(v, 0.0);
        EXPECT_DOUBLE_EQ(none.lnkH, s.lnfH2O);
        EXPECT_NEAR(none.V2, s.VH2O, 1e-12 * s.VH2O);
        EXPECT_NEAR(none.S2, s.gas.S + kR * Lm() + s.SH2O - s.vapour.S, 1e-9);
        EXPECT_NEAR(none.Cp2, s.gas.Cp + s.CpH2O - s.vapour.Cp, 1e-9);

        const AqueousValues one = with_parameters(s, 1.0, s.Coef1, s.Coef2);
        EXPECT_NEAR(one.lnkH, Lrho(s) + one.dB12d, 1e-12 * (1.0 + std::fabs(one.lnkH)));
        EXPECT_NEAR(one.V2, kRp * s.TK * s.ddH2OdPbar / s.dH2O + kRp * one.dTdB12ddP,
                    1e-10 * (1.0 + std::fabs(one.V2)));
        CaseValues moved = s;
        moved.GH2O += 500.0, moved.SH2O += 3.0, moved.CpH2O += 4.0, moved.VH2O += 2.0;
        moved.vapour.S -= 1.0, moved.vapour.Cp -= 1.0;
        const AqueousValues m = Aqueous_Values(moved, moved.vapour, s.lnfH2O + 1.0, s.gas,
                                               {1.0, s.Coef1, s.Coef2});
        EXPECT_EQ(m.lnkH, one.lnkH);
        EXPECT_EQ(m.GTaqua, one.GTaqua);
        EXPECT_EQ(m.S2, one.S2);
        EXPECT_EQ(m.V2, one.V2);
        EXPECT_EQ(m.Cp2, one.Cp2);

        EXPECT_NEAR(s.GTaqua, s.gas.G + kR * s.TK * s.lnkH - kR * s.TK * Lm(),
                    1e-9 * (1.0 + std::fabs(s.GTaqua)));
        EXPECT_NEAR(s.lnkH, (1.0 - s.Xi) * s.lnfH2O + s.Xi * Lrho(s) + s.dB12d,
                    1e-12 * (1.0 + std::fabs(s.lnkH)));
    }
}

// The cross term is linear in a and b, a rho (and its derivatives) when
// b = 0, and enters the results with fixed weights.
TEST(AqueousModel, CrossTerm)
{
    const CaseValues s = calc("CH4", 120.0, 40.0);
    const double a = -11.8462, b = 14.8615;
    const AqueousValues ab = with_parameters(s, 0.0, a, b), ab2 = with_parameters(s, 0.0, 2 * a, 2 * b);
    const AqueousValues a_only = with_parameters(s, 0.0, a, 0.0), b_only = with_parameters(s, 0.0, 0.0, b);
    const AqueousValues none = with_parameters(s, 0.0, 0.0, 0.0);
    const auto terms = [](const AqueousValues& v) {
        return std::array{v.dB12, v.dB12d, v.TdB12d, v.dTdB12ddP, v.dTdB12ddT, v.d2TdB12ddT2};
    };
    for (std::size_t k = 0; k < 6; ++k) {
        const double v = terms(ab)[k], tol = 1e-12 * (1.0 + std::fabs(v));
        EXPECT_NE(v, 0.0) << k;
        EXPECT_NEAR(terms(ab2)[k], 2 * v, 2 * tol) << k;
        EXPECT_NEAR(terms(a_only)[k] + terms(b_only)[k], v, tol) << k;
    }
    const double rho = s.dH2O, rT = s.ddH2OdTK, rTT = s.d2dH2OdTK2, T = s.TK;
    const double expected[6] = {a / 2, a * rho, a * rho * T, a * T * s.ddH2OdPbar, a * (rho + T * rT),
                                a * (T * rTT + 2 * rT)};
    for (std::size_t k = 0; k < 6; ++k)
        EXPECT_NEAR(terms(a_only)[k], expected[k], 1e-13 * (1.0 + std::fabs(expected[k]))) << k;
    EXPECT_NEAR(ab.lnkH - none.lnkH, ab.dB12d, 1e-12);
    EXPECT_NEAR(ab.GTaqua - none.GTaqua, kR * ab.TdB12d, 1e-8);
    EXPECT_NEAR(ab.S2 - none.S2, -kR * ab.dTdB12ddT, 1e-11);
    EXPECT_NEAR(ab.V2 - none.V2, kRp * ab.dTdB12ddP, 1e-10);
    EXPECT_NEAR(ab.Cp2 - none.Cp2, -kR * s.TK * ab.d2TdB12ddT2, 1e-10);
}

TEST(AqueousModel, KnownValues)
{
    const CaseValues s = calc("N2", 25.0, 1.0);
    EXPECT_NEAR(s.lnkH, 11.4, 0.05);  // a Henry constant of roughly 9e4 bar
    EXPECT_NEAR(s.V2, 35.7, 0.1);
    EXPECT_NEAR(s.Cp2, 57.0, 0.5);
    // At 25 C the noble gas Ne and H2 are less soluble than CO2 and H2S, and
    // the acid gases HCl, NH3 and SO2 are far more soluble than any of them.
    const auto lnkH = [](const char* f) { return calc(f, 25.0, 1.0).lnkH; };
    EXPECT_GT(lnkH("Ne"), lnkH("CO2"));
    EXPECT_GT(lnkH("H2"), lnkH("H2S"));
    EXPECT_GT(lnkH("CO2"), lnkH("SO2"));
    EXPECT_GT(lnkH("SO2"), lnkH("NH3"));
}

// S2 = -dG/dT, V2 = (R'/R) dG/dP and Cp2 = T dS2/dT, and the analytic
// derivatives of Phi = T 2 rho dB, against difference quotients of full
// calculations at neighbouring state points.
TEST(AqueousModel, DerivativesAgreeWithNeighbouringStates)
{
    const double hT = 0.5, hP = 0.25;
    for (const StatePoint& p : kPoints) {
        SCOPED_TRACE(where(p));
        const CaseValues s = calc(p.solute, p.TC, p.Pbar);
        const CaseValues up = calc(p.solute, p.TC + hT, p.Pbar), down = calc(p.solute, p.TC - hT, p.Pbar);
        const CaseValues hi = calc(p.solute, p.TC, p.Pbar + hP), lo = calc(p.solute, p.TC, p.Pbar - hP);
        EXPECT_NEAR(s.S2, -(up.GTaqua - down.GTaqua) / (2 * hT), 0.05);
        EXPECT_NEAR(s.V2, kRp / kR * (hi.GTaqua - lo.GTaqua) / (2 * hP), 0.1);
        EXPECT_NEAR(s.Cp2, s.TK * (up.S2 - down.S2) / (2 * hT), 0.3);
        const double dT = (up.TdB12d - down.TdB12d) / (2 * hT);
        const double d2T = (up.TdB12d - 2 * s.TdB12d + down.TdB12d) / (hT * hT);
        const double dP = (hi.TdB12d - lo.TdB12d) / (2 * hP);
        EXPECT_NEAR(s.dTdB12ddT, dT, 2e-4 * std::fabs(dT));
        EXPECT_NEAR(s.d2TdB12ddT2, d2T, 2e-4 * std::fabs(d2T));
        EXPECT_NEAR(s.dTdB12ddP, dP, 1e-6 * std::fabs(dP));
    }
}

TEST(AqueousModel, DistributionConstant)
{
    // K = 1 / (kH Mw / 1000): about 1 / (9e4 * 0.018) mol/(kg bar) for N2.
    const CaseValues s = calc("N2", 25.0, 1.0);
    const double K = Distribution_Constant(s.lnkH);
    EXPECT_NEAR(K * std::exp(s.lnkH) * kMw / 1000.0, 1.0, 1e-13);
    EXPECT_NEAR(Distribution_Constant(0.0), 1000.0 / kMw, 1e-10);
    // It falls as the Henry constant rises, and leaves the range of a double
    // beyond |lnkH| of about 700.
    double previous = INFINITY;
    for (double lnkH : {-700.0, -20.0, 0.0, 11.4, 700.0}) {
        const double k = Distribution_Constant(lnkH);
        EXPECT_TRUE(k > 0.0 && k < previous && std::isfinite(k)) << lnkH;
        previous = k;
    }
    for (double lnkH : {800.0, -800.0}) {
        try {
            (void)Distribution_Constant(lnkH);
            ADD_FAILURE() << "no error for lnkH = " << lnkH;
        } catch (const CalcError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Overflow) << lnkH;
        }
    }
}

}  // namespace
}  // namespace aqvis
