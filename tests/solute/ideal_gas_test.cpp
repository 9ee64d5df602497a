// Ideal-gas Gibbs energy, entropy and heat capacity from the data at 298.15 K
// and the three-term heat capacity Cp = a + b T - c / T^2.

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/calc_state.h"
#include "core/errors.h"
#include "core/fp.h"
#include "core/origin_values.h"
#include "solute/catalogue.h"
#include "solute/ideal_gas.h"

namespace aqvis {
namespace {

constexpr double kTr = 298.15;

struct Substance {
    std::string name;
    double G0, S0, a, bE3, cEmin5;
};

// Water vapour, as set up by the constants, and every catalogue solute.
std::vector<Substance> all_substances()
{
    CalcState s;
    Origin_Values(s);
    std::vector<Substance> v{{"H2O(g)", s.G0H2Ogas, s.SH2Ogas, s.aH2O, s.bH2OE3, s.cH2OEmin5}};
    for (const SoluteRecord& r : Solute_Catalogue)
        v.push_back({r.Formula, r.G0gas, r.S0gas, r.agas, r.bgasE3, r.cgasEmin5});
    return v;
}

IdealGasResult at(double TK, const Substance& g)
{
    CalcState s;
    Origin_Values(s);
    s.TK = TK;
    return IdealGas_Values(s, g.G0, g.S0, g.a, g.bE3, g.cEmin5);
}

TEST(IdealGas, AtTheReferenceTemperatureGivesTheTabulatedValues)
{
    for (const Substance& g : all_substances()) {
        SCOPED_TRACE(g.name);
        const IdealGasResult r = at(kTr, g);
        EXPECT_EQ(r.G, g.G0);
        EXPECT_EQ(r.S, g.S0);
        const double cp = g.a + g.bE3 * 1e-3 * kTr - g.cEmin5 * 1e5 / (kTr * kTr);
        EXPECT_NEAR(r.Cp, cp, 1e-12 * std::fabs(cp));
    }
}

TEST(IdealGas, HeatCapacityFollowsTheThreeTermFunctionAtAnyTemperature)
{
    // N2: Cp = 6.83 + 0.90e-3 T - 0.12e5 / T^2, a positive stored c lowers Cp;
    // H2 has a negative stored c, which raises it.
    const Substance n2{"N2", 0, 45.796, 6.83, 0.9, 0.12};
    const Substance h2{"H2", 0, 31.234, 6.52, 0.78, -0.12};
    for (double T : {250.0, 400.0, 1000.0}) {
        EXPECT_NEAR(at(T, n2).Cp, 6.83 + 0.0009 * T - 12000.0 / (T * T), 1e-12) << T;
        EXPECT_NEAR(at(T, h2).Cp, 6.52 + 0.00078 * T + 12000.0 / (T * T), 1e-12) << T;
    }
    // Worked by hand at 500 K: 6.83 + 0.45 - 0.048 = 7.232.
    EXPECT_NEAR(at(500.0, n2).Cp, 7.232, 1e-12);
}

TEST(IdealGas, WaterVapourHeatCapacity)
{
    const Substance w = all_substances().front();
    EXPECT_NEAR(at(298.15, w).Cp, 7.94, 0.005);
    EXPECT_NEAR(at(373.15, w).Cp, 8.18, 0.005);
}

// S = -dG/dT and Cp = T dS/dT, by central difference quotients.
TEST(IdealGas, EntropyAndHeatCapacityAreDerivativesOfTheGibbsEnergy)
{
    const double h = 1e-3;
    for (const Substance& g : all_substances()) {
        for (double T : {260.0, 298.15, 373.15, 550.0, 900.0}) {
            SCOPED_TRACE(g.name + " at " + std::to_string(T) + " K");
            const IdealGasResult r = at(T, g);
            const double dGdT = (at(T + h, g).G - at(T - h, g).G) / (2 * h);
            const double dSdT = (at(T + h, g).S - at(T - h, g).S) / (2 * h);
            EXPECT_NEAR(r.S, -dGdT, 1e-5 * (1.0 + std::fabs(r.S)));
            EXPECT_NEAR(r.Cp, T * dSdT, 1e-5 * (1.0 + std::fabs(r.Cp)));
        }
    }
}

TEST(IdealGas, ConstantHeatCapacityClosedFormForArgon)
{
    const SoluteRecord* ar = Find_Solute("Ar");
    ASSERT_NE(ar, nullptr);
    const Substance g{"Ar", ar->G0gas, ar->S0gas, ar->agas, ar->bgasE3, ar->cgasEmin5};
    for (double T : {200.0, 273.15, 350.0, 647.0, 1200.0}) {
        SCOPED_TRACE(T);
        const double L = std::log(T / kTr);
        const IdealGasResult r = at(T, g);
        EXPECT_EQ(r.Cp, 4.968);
        EXPECT_NEAR(r.S, 37.0085 + 4.968 * L, 1e-12);
        const double G = 0.0 - 37.0085 * (T - kTr) - 4.968 * (T * L - T + kTr);
        EXPECT_NEAR(r.G, G, 1e-9 * (1.0 + std::fabs(G)));
    }
}

TEST(IdealGas, PositiveInverseSquareTermRaisesGibbsEnergyOnBothSides)
{
    const Substance plain{"c = 0", -1000.0, 50.0, 7.0, 1.0, 0.0};
    Substance with_c = plain;
    with_c.cEmin5 = 0.5;  // c = 50000 cal K/mol
    Substance negative_c = plain;
    negative_c.cEmin5 = -0.5;
    for (double T : {220.0, 280.0, 320.0, 600.0}) {
        SCOPED_TRACE(T);
        const double dG = at(T, with_c).G - at(T, plain).G;
        // The c term of G is (c/2) (T - Tr)^2 / (T Tr^2).
        const double expected = 25000.0 * (T - kTr) * (T - kTr) / (T * kTr * kTr);
        EXPECT_GT(dG, 0.0);
        EXPECT_NEAR(dG, expected, 1e-9 * expected + 1e-9);
        EXPECT_LT(at(T, negative_c).G, at(T, plain).G);
        EXPECT_LT(at(T, with_c).Cp, at(T, plain).Cp);
        EXPECT_NEAR(at(T, plain).Cp - at(T, with_c).Cp, 50000.0 / (T * T), 1e-12);
    }
}

TEST(IdealGas, StoredParametersAreScaledOnlyInUse)
{
    // The linear coefficient is stored times 1e3: b*1e3 = 1 adds 1e-3 (T - Tr)
    // to S; the stored numbers given to the call are plain values.
    const Substance zero{"", 0.0, 10.0, 5.0, 0.0, 0.0};
    Substance lin = zero;
    lin.bE3 = 1.0;
    const double T = 498.15;
    EXPECT_NEAR(at(T, lin).S - at(T, zero).S, 0.2, 1e-12);
    EXPECT_NEAR(at(T, lin).Cp - at(T, zero).Cp, 0.49815, 1e-12);
    EXPECT_NEAR(at(T, lin).G - at(T, zero).G, -0.5e-3 * 200.0 * 200.0, 1e-9);
}

TEST(IdealGas, NonPositiveTemperatureIsAFloatingPointFailure)
{
    const Substance n2{"N2", 0, 45.796, 6.83, 0.9, 0.12};
    for (double T : {0.0, -10.0}) {
        CalcState s;
        Origin_Values(s);
        s.TK = T;
        fp::StrictScope strict;
        fp::clear();
        try {
            (void)IdealGas_Values(s, n2.G0, n2.S0, n2.a, n2.bE3, n2.cEmin5);
            ADD_FAILURE() << "no failure at T = " << T;
        } catch (const CalcError& e) {
            EXPECT_TRUE(e.kind() == ErrorKind::DivisionByZero ||
                        e.kind() == ErrorKind::InvalidOperation)
                << T << ": " << e.what();
        }
        fp::clear();
    }
}

}  // namespace
}  // namespace aqvis
