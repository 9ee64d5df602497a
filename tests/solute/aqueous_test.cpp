// The aqueous solute at infinite dilution: Henry constant, Gibbs energy,
// entropy, partial molar volume and heat capacity from the water properties,
// the ideal-gas functions and the parameters xi, a and b.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/calc_state.h"
#include "driver/calculation.h"
#include "driver/derived.h"
#include "core/errors.h"
#include "core/origin_values.h"
#include "support/fresh_calculation.h"
#include "solute/aqueous.h"
#include "solute/catalogue.h"

namespace aqvis {
namespace {

constexpr double kR = 1.987191683;       // cal/(mol K)
constexpr double kRp = 83.14410001672;   // cm3 bar/(mol K)
constexpr double kMw = 18.0152;          // g/mol

using Params = test::Parameters;

// One full calculation on a fresh state.
CalcState calc(const char* solute, double TC, double Pbar, Params p = {})
{
    return test::Fresh_Calculation(solute, TC, Pbar, p);
}

// Same water and ideal-gas state, other parameters: only the model is rerun.
CalcState with_parameters(CalcState s, double xi, double a, double b)
{
    s.Xi = xi;
    s.Coef1 = a;
    s.Coef2 = b;
    Aqueous_Values(s);
    return s;
}

double Lm() { return std::log(1000.0 / kMw); }
double Lrho(const CalcState& s) { return std::log(kRp * s.TK * s.dH2O / kMw); }

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

TEST(AqueousModel, WaterFugacityOnTheSaturationCurve)
{
    // On the saturation curve the liquid's fugacity is that of the saturated
    // vapour, Psat times a fugacity coefficient of about 0.999 at 25 C, 0.986
    // at 100 C and 0.90 at 200 C.  The ideal-gas data carry an error of their
    // own of about 0.02 in ln f.
    const struct {
        double TC, ln_phi;
    } points[] = {{25.0, -0.001}, {100.0, -0.014}, {200.0, -0.105}};
    for (const auto& p : points) {
        const CalcState s = calc("N2", p.TC, 0.0);
        ASSERT_EQ(s.Pbar, s.Psat);
        EXPECT_NEAR(s.lnfH2O - std::log(s.Psat), p.ln_phi, 0.035) << p.TC;
    }
}

TEST(AqueousModel, WaterFugacityRisesWithPressureByTheMolarVolume)
{
    // d(ln f)/dP = Vw / (R' T): the implied volume within 0.1 cm3/mol.
    for (double TC : {5.0, 50.0, 250.0}) {
        const CalcState lo = calc("N2", TC, 99.5), hi = calc("N2", TC, 100.5);
        const CalcState mid = calc("N2", TC, 100.0);
        EXPECT_NEAR((hi.lnfH2O - lo.lnfH2O) * kRp * mid.TK, mid.VH2O, 0.1) << TC;
    }
}

TEST(AqueousModel, NoParametersLeavesPureWaterTerms)
{
    for (const StatePoint& p : kPoints) {
        SCOPED_TRACE(where(p));
        const CalcState s = calc(p.solute, p.TC, p.Pbar, {0.0, 0.0, 0.0});
        EXPECT_EQ(s.dB12, 0.0);
        EXPECT_EQ(s.dB12d, 0.0);
        EXPECT_EQ(s.TdB12d, 0.0);
        EXPECT_EQ(s.dTdB12ddP, 0.0);
        EXPECT_EQ(s.dTdB12ddT, 0.0);
        EXPECT_EQ(s.d2TdB12ddT2, 0.0);
        EXPECT_DOUBLE_EQ(s.lnkH, s.lnfH2O);
        EXPECT_NEAR(s.V2, s.VH2O, 1e-12 * s.VH2O);
        EXPECT_NEAR(s.S2, s.STgas + kR * Lm() + s.SH2O - s.STH2Ogas, 1e-9);
        EXPECT_NEAR(s.Cp2, s.Cpgas + s.CpH2O - s.CpH2Ogas, 1e-9);
        EXPECT_NEAR(s.GTaqua, s.GTgas + kR * s.TK * (s.lnfH2O - Lm()), 1e-8 * std::fabs(s.GTaqua));
    }
}

TEST(AqueousModel, XiOneRemovesTheWaterFugacity)
{
    for (const StatePoint& p : kPoints) {
        SCOPED_TRACE(where(p));
        const CalcState s = calc(p.solute, p.TC, p.Pbar, {1.0, {}, {}});
        EXPECT_NEAR(s.lnkH, Lrho(s) + s.dB12d, 1e-12 * (1.0 + std::fabs(s.lnkH)));
        EXPECT_NEAR(s.V2, kRp * s.TK * s.ddH2OdPbar / s.dH2O + kRp * s.dTdB12ddP,
                    1e-10 * (1.0 + std::fabs(s.V2)));

        // Move every pure-water quantity that only the fugacity term uses: no
        // result may change.
        CalcState moved = s;
        moved.lnfH2O += 1.0;
        moved.GH2O += 500.0;
        moved.SH2O += 3.0;
        moved.CpH2O += 4.0;
        moved.VH2O += 2.0;
        moved.STH2Ogas -= 1.0;
        moved.CpH2Ogas -= 1.0;
        Aqueous_Values(moved);
        EXPECT_EQ(moved.lnkH, s.lnkH);
        EXPECT_EQ(moved.GTaqua, s.GTaqua);
        EXPECT_EQ(moved.S2, s.S2);
        EXPECT_EQ(moved.V2, s.V2);
        EXPECT_EQ(moved.Cp2, s.Cp2);
    }
}

TEST(AqueousModel, GibbsEnergyIsTheIdealGasPlusTheHenryConstantInMolality)
{
    for (const StatePoint& p : kPoints) {
        SCOPED_TRACE(where(p));
        const CalcState s = calc(p.solute, p.TC, p.Pbar);
        EXPECT_NEAR(s.GTaqua, s.GTgas + kR * s.TK * s.lnkH - kR * s.TK * Lm(),
                    1e-9 * (1.0 + std::fabs(s.GTaqua)));
        // lnkH is the weighted sum plus the cross term 2 rho dB.
        EXPECT_NEAR(s.lnkH, (1.0 - s.Xi) * s.lnfH2O + s.Xi * Lrho(s) + s.dB12d,
                    1e-12 * (1.0 + std::fabs(s.lnkH)));
    }
}

TEST(AqueousModel, BZeroMakesTheCrossTermADensityTimesA)
{
    const CalcState base = calc("O2", 80.0, 30.0);
    const double a = -9.754;
    const CalcState s = with_parameters(base, base.Xi, a, 0.0);
    const double rho = s.dH2O, rT = s.ddH2OdTK, rTT = s.d2dH2OdTK2, T = s.TK;
    EXPECT_NEAR(s.dB12, a / 2, 1e-15);
    EXPECT_NEAR(s.dB12d, a * rho, 1e-13);
    EXPECT_NEAR(s.TdB12d, a * rho * T, 1e-10);
    EXPECT_NEAR(s.dTdB12ddT, a * (rho + T * rT), 1e-13);
    EXPECT_NEAR(s.d2TdB12ddT2, a * (T * rTT + 2 * rT), 1e-15);
    EXPECT_NEAR(s.dTdB12ddP, a * T * s.ddH2OdPbar, 1e-15);
}

TEST(AqueousModel, CrossTermIsLinearInAAndB)
{
    const CalcState base = calc("CH4", 120.0, 40.0);
    const double a = -11.8462, b = 14.8615;
    const CalcState ab = with_parameters(base, 0.0, a, b);
    const CalcState ab2 = with_parameters(base, 0.0, 2 * a, 2 * b);
    const CalcState a_only = with_parameters(base, 0.0, a, 0.0);
    const CalcState b_only = with_parameters(base, 0.0, 0.0, b);
    const CalcState none = with_parameters(base, 0.0, 0.0, 0.0);

    const auto check = [&](double CalcState::*m, const char* name) {
        const double v = ab.*m;
        const double tol = 1e-12 * (1.0 + std::fabs(v));
        EXPECT_NE(v, 0.0) << name;
        EXPECT_NEAR(ab2.*m, 2 * v, 2 * tol) << name;
        EXPECT_NEAR(a_only.*m + b_only.*m, v, tol) << name;
    };
    check(&CalcState::dB12, "dB12");
    check(&CalcState::dB12d, "dB12d");
    check(&CalcState::TdB12d, "TdB12d");
    check(&CalcState::dTdB12ddP, "dTdB12ddP");
    check(&CalcState::dTdB12ddT, "dTdB12ddT");
    check(&CalcState::d2TdB12ddT2, "d2TdB12ddT2");

    // The results carry the cross term with fixed weights.
    EXPECT_NEAR(ab.lnkH - none.lnkH, ab.dB12d, 1e-12);
    EXPECT_NEAR(ab.GTaqua - none.GTaqua, kR * ab.TdB12d, 1e-8);
    EXPECT_NEAR(ab.S2 - none.S2, -kR * ab.dTdB12ddT, 1e-11);
    EXPECT_NEAR(ab.V2 - none.V2, kRp * ab.dTdB12ddP, 1e-10);
    EXPECT_NEAR(ab.Cp2 - none.Cp2, -kR * ab.TK * ab.d2TdB12ddT2, 1e-10);
}

TEST(AqueousModel, NitrogenAt25CAnd1Bar)
{
    const CalcState s = calc("N2", 25.0, 1.0);
    EXPECT_NEAR(s.lnkH, 11.4, 0.05);
    EXPECT_GT(std::exp(s.lnkH), 8e4);  // a Henry constant of roughly 9e4 bar
    EXPECT_LT(std::exp(s.lnkH), 1e5);
    EXPECT_NEAR(s.V2, 35.7, 0.1);
    EXPECT_NEAR(s.Cp2, 57.0, 0.5);
}

// S2 = -dG/dT at constant P and V2 = (R'/R) dG/dP at constant T, from full
// calculations at neighbouring state points.
TEST(AqueousModel, EntropyAndVolumeAreDerivativesOfTheGibbsEnergy)
{
    for (const StatePoint& p : kPoints) {
        SCOPED_TRACE(where(p));
        const CalcState s = calc(p.solute, p.TC, p.Pbar);
        const double hT = 0.5;
        const double dGdT =
            (calc(p.solute, p.TC + hT, p.Pbar).GTaqua - calc(p.solute, p.TC - hT, p.Pbar).GTaqua) /
            (2 * hT);
        EXPECT_NEAR(s.S2, -dGdT, 0.05);

        const double hP = 0.25;
        const double dGdP =
            (calc(p.solute, p.TC, p.Pbar + hP).GTaqua - calc(p.solute, p.TC, p.Pbar - hP).GTaqua) /
            (2 * hP);
        EXPECT_NEAR(s.V2, kRp / kR * dGdP, 0.1);
    }
}

TEST(AqueousModel, HeatCapacityIsTheTemperatureDerivativeOfTheEntropy)
{
    for (const StatePoint& p : kPoints) {
        SCOPED_TRACE(where(p));
        const CalcState s = calc(p.solute, p.TC, p.Pbar);
        const double h = 0.5;
        const double dSdT =
            (calc(p.solute, p.TC + h, p.Pbar).S2 - calc(p.solute, p.TC - h, p.Pbar).S2) / (2 * h);
        EXPECT_NEAR(s.Cp2, s.TK * dSdT, 0.3);
    }
}

// The analytic derivatives of Phi = T 2 rho dB against difference quotients
// of Phi itself, computed from the water properties at neighbouring points.
TEST(AqueousModel, CrossTermDerivativesMatchDifferenceQuotients)
{
    for (const StatePoint& p : kPoints) {
        SCOPED_TRACE(where(p));
        const CalcState s = calc(p.solute, p.TC, p.Pbar);

        const double hT = 0.5;
        const double up = calc(p.solute, p.TC + hT, p.Pbar).TdB12d;
        const double down = calc(p.solute, p.TC - hT, p.Pbar).TdB12d;
        const double dT = (up - down) / (2 * hT);
        const double d2T = (up - 2 * s.TdB12d + down) / (hT * hT);
        EXPECT_NEAR(s.dTdB12ddT, dT, 2e-4 * std::fabs(dT));
        EXPECT_NEAR(s.d2TdB12ddT2, d2T, 2e-4 * std::fabs(d2T));

        const double hP = 0.25;
        const double dP = (calc(p.solute, p.TC, p.Pbar + hP).TdB12d -
                           calc(p.solute, p.TC, p.Pbar - hP).TdB12d) /
                          (2 * hP);
        EXPECT_NEAR(s.dTdB12ddP, dP, 1e-6 * std::fabs(dP));
    }
}

TEST(AqueousModel, DistributionConstantIsTheInverseHenryConstantInMolality)
{
    const CalcState s = calc("N2", 25.0, 1.0);
    const double K = Distribution_Constant(s);
    // Henry constant about 9e4 bar: K about 1 / (9e4 * 0.018) mol/(kg bar).
    EXPECT_NEAR(K * std::exp(s.lnkH) * kMw / 1000.0, 1.0, 1e-13);
    EXPECT_GT(K, 5e-4);
    EXPECT_LT(K, 8e-4);
}

TEST(AqueousModel, DistributionConstantFallsAsTheHenryConstantRises)
{
    CalcState s;
    Origin_Values(s);
    double previous = INFINITY;
    for (double lnkH : {-700.0, -20.0, -3.0, 0.0, 4.0, 11.4, 30.0, 700.0}) {
        s.lnkH = lnkH;
        const double K = Distribution_Constant(s);
        EXPECT_GT(K, 0.0) << lnkH;
        EXPECT_TRUE(std::isfinite(K)) << lnkH;
        EXPECT_LT(K, previous) << lnkH;
        previous = K;
    }
    s.lnkH = 0.0;
    EXPECT_NEAR(Distribution_Constant(s), 1000.0 / kMw, 1e-10);
}

TEST(AqueousModel, DistributionConstantOutOfRangeIsAnOverflow)
{
    CalcState s;
    Origin_Values(s);
    for (double lnkH : {800.0, -800.0}) {
        s.lnkH = lnkH;
        try {
            (void)Distribution_Constant(s);
            ADD_FAILURE() << "no error for lnkH = " << lnkH;
        } catch (const CalcError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Overflow) << lnkH;
        }
    }
}

TEST(AqueousModel, HenryConstantOrderingOfTheGases)
{
    // At 25 C the noble gas Ne and H2 are less soluble than CO2 and H2S, and
    // the acid gases HCl, NH3 and SO2 are far more soluble than any of them.
    const auto lnkH = [](const char* f) { return calc(f, 25.0, 1.0).lnkH; };
    EXPECT_GT(lnkH("Ne"), lnkH("CO2"));
    EXPECT_GT(lnkH("H2"), lnkH("H2S"));
    EXPECT_GT(lnkH("CO2"), lnkH("SO2"));
    EXPECT_GT(lnkH("SO2"), lnkH("NH3"));
}

}  // namespace
}  // namespace aqvis
