// Density of water at given temperature and pressure: the plain Newton
// iteration where it settles, the safeguarded solve where it does not, and
// agreement with an independent reference equation of state for water.

#include <gtest/gtest.h>

#include <cmath>

#include "core/errors.h"
#include "driver/calculation.h"
#include "core/origin_values.h"
#include "helmholtz_reference.h"
#include "water/water_density.h"

namespace aqvis {
namespace {

// State with the driver's starting density at (TC, Pbar).
CalcState started(double TC, double Pbar)
{
    CalcState s;
    Origin_Values(s);
    s.TC = TC;
    s.Pbar = Pbar;
    Start_Values(s);
    return s;
}

double reduced_target(const CalcState& s) { return ((s.Pbar / s.dcr) / s.RGasH2O) / s.TK; }

// The plain Newton iteration, written out with the oracle Helmholtz function.
double plain_newton(CalcState s, int max_passes = 1000)
{
    s.T = -s.Tcr / s.TK;
    s.dlT = s.T + 1;
    double step = 1;
    for (int n = 0; std::fabs(step) > 1e-6 && n < max_passes; ++n) {
        test::Helmholtz_H2O_Reference(s);
        const double P = s.ro * s.ro * s.Aro;
        const double dPdro = s.ro * s.ro * s.Aroro + 2 * s.ro * s.Aro;
        step = -(P - reduced_target(s)) / dPdro;
        s.ro += step;
        if (s.ro < 0.05) s.ro = 0.05;
    }
    return s.ro;
}

// Reference densities in g/cm3 from an independent implementation of the
// international reference equation of state for water (1995 formulation).
struct RefPoint {
    double TC, Pbar, rho;
};
constexpr RefPoint kReference[] = {
    {25, 1, 0.9970470390177775},      {400, 1, 0.0003223007343641499},
    {400, 1000, 0.6929323479035604},  {380, 700, 0.6758260227515515},
    {380, 1000, 0.7218019752448163},  {390, 1400, 0.7532596986332764},
    {400, 700, 0.6384130499161844},   {410, 1000, 0.6779249841303497},
    {600, 1, 0.0002482692729546506},  {500, 50, 0.014580921776358082},
    {380, 45, 0.016054467343428323},  {600, 65, 0.016640030866508587},
    {300, 500, 0.7764771491661447},   {350, 200, 0.6006363843294308},
    {450, 300, 0.14842674966052516},
};

TEST(WaterDensity, AgreesWithTheReferenceEquationOfState)
{
    for (const RefPoint& p : kReference) {
        CalcState s = started(p.TC, p.Pbar);
        Water_Density(s);
        SCOPED_TRACE(testing::Message() << p.TC << " C, " << p.Pbar << " bar");
        EXPECT_NEAR(s.ro * s.dcr / p.rho, 1.0, 1e-3);
        EXPECT_GT(s.dPdro, 0.0);
    }
}

TEST(WaterDensity, SolutionReproducesThePressure)
{
    for (double TC : {0.01, 25.0, 100.0, 250.0, 370.0, 374.5, 380.0, 400.0, 600.0, 1000.0}) {
        for (double Pbar : {1.0, 10.0, 100.0, 221.0, 500.0, 1000.0, 3000.0, 5000.0}) {
            CalcState s = started(TC, Pbar);
            Water_Density(s);
            // A fresh evaluation at the solution gives back the target pressure.
            CalcState check = s;
            test::Helmholtz_H2O_Reference(check);
            const double P = check.ro * check.ro * check.Aro;
            SCOPED_TRACE(testing::Message() << TC << " C, " << s.Pbar << " bar");
            EXPECT_NEAR(P / reduced_target(s), 1.0, 1e-8);
            EXPECT_GT(check.ro * check.ro * check.Aroro + 2 * check.ro * check.Aro, 0.0);
        }
    }
}

TEST(WaterDensity, SettledNewtonIterationGivesThePlainNewtonResult)
{
    // Below the critical temperature the plain iteration settles: the result
    // is that of the plain Newton iteration, to rounding.
    for (auto [TC, Pbar] : {std::pair{25.0, 1.0}, {25.0, 0.0}, {100.0, 500.0}, {300.0, 2000.0},
                            {200.0, 10000.0}, {370.0, 250.0}}) {
        CalcState s = started(TC, Pbar);
        const double expected = plain_newton(s);
        Water_Density(s);
        EXPECT_NEAR(s.ro, expected, 1e-12 * expected) << TC << " C " << Pbar << " bar";
    }
}

TEST(WaterDensity, DerivativesAfterTheLoopAreConsistent)
{
    CalcState s = started(25.0, 1.0);
    Water_Density(s);
    EXPECT_NEAR(s.dPdro * s.drodP, 1.0, 1e-15);
    EXPECT_NEAR(s.drodT * s.dPdro, -s.dPdT, 1e-15 * std::fabs(s.dPdT));
    EXPECT_LE(std::fabs(s.stepro), 1e-6);
    EXPECT_NEAR(s.dev, s.P - reduced_target(s), 1e-18);
}

TEST(WaterDensity, SteamBelowTheFloorIsFound)
{
    // At 400 C and 1 bar steam has about 3.2e-4 g/cm3, far below the floor of
    // the plain iteration (0.05 * dcr).
    CalcState s = started(400.0, 1.0);
    Water_Density(s);
    EXPECT_NEAR(s.ro * s.dcr, 3.2e-4, 0.05e-4);
    EXPECT_LT(s.ro, 0.05);
}

TEST(WaterDensity, DenseNonPhysicalRootIsRejected)
{
    // Newton from the ideal-gas start would settle near 3.1 g/cm3 with
    // dP/dro < 0 at these states; the physical density is about 0.69.
    CalcState s = started(400.0, 1000.0);
    Water_Density(s);
    EXPECT_NEAR(s.ro * s.dcr, 0.69, 0.01);
    EXPECT_GT(s.dPdro, 0.0);
    for (double Pbar : {700.0, 900.0, 1200.0, 1400.0, 10000.0}) {
        for (double TC : {380.0, 390.0, 400.0, 410.0}) {
            CalcState t = started(TC, Pbar);
            Water_Density(t);
            EXPECT_LT(t.ro * t.dcr, 1.5) << TC << " C " << Pbar << " bar";
            EXPECT_GT(t.dPdro, 0.0);
        }
    }
}

TEST(WaterDensity, UnreachablePressureIsNoConvergence)
{
    // Beyond the maximum of the rising branch there is no physical root.
    CalcState s = started(400.0, 1e6);
    try {
        Water_Density(s);
        FAIL() << "expected no convergence";
    } catch (const CalcError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::NoConvergence);
        EXPECT_NE(std::string(e.what()).find("400"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("1e+06 bar"), std::string::npos);
    }
}

TEST(WaterDensity, RootsThatCannotBeTheLiquidBelowTheCriticalTemperatureAreNoConvergence)
{
    // Far below 0 degC the equation has gas-like roots at pressures where
    // only a liquid can be (0.0047 g/cm3 at -110 degC and 1000 bar), and at
    // -50 degC roots near 0.24 g/cm3: none is water at that state.
    const struct {
        double TC, Pbar;
        bool found;
    } cases[] = {{-110, 1, false},  {-110, 1000, false}, {-110, 5000, false}, {-50, 100, false},
                 {-50, 2000, false}, {-100, 1000, true},  {25, 1, true},       {-50, 1000, true},
                 // Saturated vapour where the solution settles on it near the critical point.
                 {373.9, 0, true}};
    for (const auto& c : cases) {
        CalcState s = started(c.TC, c.Pbar);
        try {
            Water_Density(s);
            EXPECT_TRUE(c.found) << c.TC << " C " << c.Pbar << " bar: " << s.ro * s.dcr << " g/cm3";
        } catch (const CalcError& e) {
            EXPECT_FALSE(c.found) << c.TC << " C " << c.Pbar << " bar: " << e.what();
            EXPECT_EQ(e.kind(), ErrorKind::NoConvergence);
        }
    }
}

TEST(WaterDensity, StartValueAtTheSolutionCostsOnePass)
{
    CalcState s = started(25.0, 1.0);
    Water_Density(s);
    const double ro = s.ro;
    Water_Density(s);  // starts at the solution: one pass, a step within tolerance
    EXPECT_LE(std::fabs(s.stepro), 1e-6);
    EXPECT_NEAR(s.ro, ro, 1e-9);
}

}  // namespace
}  // namespace aqvis
