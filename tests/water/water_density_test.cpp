// Density of water at given temperature and pressure: the plain Newton
// iteration where it settles, the safeguarded solve where it does not, and
// agreement with an independent reference equation of state for water.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/constants.h"
#include "core/errors.h"
#include "helmholtz_reference.h"
#include "water/constants.h"
#include "water/saturation.h"
#include "water/water_density.h"

namespace aqvis {
namespace {

// The driver's start at (TC, Pbar) and the density solved from it.
struct Solved {
    double TK, Pbar;  // Pbar as used
    WaterStart start;
    WaterDensity w;
};

Solved solve(double TC, double Pbar)
{
    Solved s;
    s.TK = kZeroCelsius + TC;
    s.start = Water_Start(s.TK, Pbar);
    s.Pbar = s.start.Pbar;
    s.w = Water_Density(s.TK, s.start, s.start.ro, Density_Branch(s.TK));
    return s;
}

double reduced_target(const Solved& s) { return ((s.Pbar / water::dcr) / water::RGasH2O) / s.TK; }

// The plain Newton iteration, written out with the oracle Helmholtz function.
double plain_newton(const Solved& s, int max_passes = 1000)
{
    const double T = -water::Tcr / s.TK;
    double ro = s.start.ro, step = 1;
    for (int n = 0; std::fabs(step) > 1e-6 && n < max_passes; ++n) {
        const Helmholtz h = test::Helmholtz_H2O_Reference(T, ro).h;
        const double P = ro * ro * h.Aro;
        const double dPdro = ro * ro * h.Aroro + 2 * ro * h.Aro;
        step = -(P - reduced_target(s)) / dPdro;
        ro += step;
        if (ro < 0.05) ro = 0.05;
    }
    return ro;
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
        const WaterDensity w = solve(p.TC, p.Pbar).w;
        SCOPED_TRACE(testing::Message() << p.TC << " C, " << p.Pbar << " bar");
        EXPECT_NEAR(w.ro * water::dcr / p.rho, 1.0, 1e-3);
        EXPECT_GT(w.dPdro, 0.0);
    }
}

TEST(WaterDensity, SolutionReproducesThePressure)
{
    for (double TC : {0.01, 25.0, 100.0, 250.0, 370.0, 374.5, 380.0, 400.0, 600.0, 1000.0}) {
        for (double Pbar : {1.0, 10.0, 100.0, 221.0, 500.0, 1000.0, 3000.0, 5000.0}) {
            const Solved s = solve(TC, Pbar);
            // A fresh evaluation at the solution gives back the target pressure.
            const double ro = s.w.ro;
            const Helmholtz h = test::Helmholtz_H2O_Reference(s.w.T, ro).h;
            SCOPED_TRACE(testing::Message() << TC << " C, " << s.Pbar << " bar");
            EXPECT_NEAR(ro * ro * h.Aro / reduced_target(s), 1.0, 1e-8);
            EXPECT_GT(ro * ro * h.Aroro + 2 * ro * h.Aro, 0.0);
            // The derivatives after the loop are consistent.
            EXPECT_NEAR(s.w.dPdro * s.w.drodP, 1.0, 1e-15);
            EXPECT_NEAR(s.w.drodT * s.w.dPdro, -s.w.dPdT, 1e-15 * std::fabs(s.w.dPdT));
        }
    }
}

TEST(WaterDensity, SettledNewtonIterationGivesThePlainNewtonResult)
{
    // Below the critical temperature the plain iteration settles: the result
    // is that of the plain Newton iteration, to rounding.  So it does for
    // steam whose ideal-gas start lies below the floor of the iteration and
    // whose root lies above it (380 C, 47 bar).
    for (auto [TC, Pbar] : {std::pair{25.0, 1.0}, {25.0, 0.0}, {100.0, 500.0}, {300.0, 2000.0},
                            {200.0, 10000.0}, {370.0, 250.0}, {380.0, 47.0}}) {
        const Solved s = solve(TC, Pbar);
        const double expected = plain_newton(s);
        EXPECT_NEAR(s.w.ro, expected, 1e-12 * expected) << TC << " C " << Pbar << " bar";
    }
}

TEST(WaterDensity, SteamBelowTheFloorIsTheRootToRounding)
{
    // At 400 C and 1 bar steam has about 3.2e-4 g/cm3, far below the floor of
    // the plain iteration (0.05 * dcr).
    const WaterDensity w = solve(400.0, 1.0).w;
    EXPECT_NEAR(w.ro * water::dcr, 3.2e-4, 0.05e-4);
    EXPECT_LT(w.ro, 0.05);
    // Steam is solved to the noise of the pressure function (at low density
    // 1 - exp(-ro^2) has a relative error of about 1e-16 / ro^2, which reaches
    // P = ro + O(ro^2) as about 1e-16 / ro), from the ideal gas or from
    // another start (a solution at a neighbouring temperature) alike.
    for (double TC : {374.5, 380.0, 450.0, 600.0, 1000.0}) {
        for (double Pbar : {0.001, 0.1, 1.0, 10.0, 30.0}) {
            const Solved s = solve(TC, Pbar);
            const double ro = s.w.ro;
            const Helmholtz h = test::Helmholtz_H2O_Reference(s.w.T, ro).h;
            const double distance = (ro * ro * h.Aro - reduced_target(s)) / (ro * ro * h.Aroro + 2 * ro * h.Aro);
            const double noise = (1e-14 + 2e-16 / ro) * ro;
            SCOPED_TRACE(testing::Message() << TC << " C, " << Pbar << " bar");
            EXPECT_LE(std::fabs(distance), noise);
            for (double start : {0.5 * ro, 1.002 * ro, 0.049}) {
                const WaterDensity other = Water_Density(s.TK, s.start, start, DensityBranch::FromGas);
                EXPECT_NEAR(other.ro, ro, 2 * noise) << start;
            }
        }
    }
}

TEST(WaterDensity, DenseNonPhysicalRootIsRejected)
{
    // Newton from the ideal-gas start would settle near 3.1 g/cm3 with
    // dP/dro < 0 at these states; the physical density is about 0.69.
    const WaterDensity w = solve(400.0, 1000.0).w;
    EXPECT_NEAR(w.ro * water::dcr, 0.69, 0.01);
    EXPECT_GT(w.dPdro, 0.0);
    for (double Pbar : {700.0, 900.0, 1200.0, 1400.0, 10000.0}) {
        for (double TC : {380.0, 390.0, 400.0, 410.0}) {
            const WaterDensity t = solve(TC, Pbar).w;
            EXPECT_LT(t.ro * water::dcr, 1.5) << TC << " C " << Pbar << " bar";
            EXPECT_GT(t.dPdro, 0.0);
        }
    }
}

TEST(WaterDensity, UnreachablePressureIsNoConvergence)
{
    // Beyond the maximum of the rising branch there is no physical root.
    try {
        solve(400.0, 1e6);
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
        try {
            const WaterDensity w = solve(c.TC, c.Pbar).w;
            EXPECT_TRUE(c.found) << c.TC << " C " << c.Pbar << " bar: " << w.ro * water::dcr << " g/cm3";
        } catch (const CalcError& e) {
            EXPECT_FALSE(c.found) << c.TC << " C " << c.Pbar << " bar: " << e.what();
            EXPECT_EQ(e.kind(), ErrorKind::NoConvergence);
        }
    }
}

}  // namespace
}  // namespace aqvis
