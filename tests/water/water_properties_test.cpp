// Properties of water derived from the solved density.

#include <gtest/gtest.h>

#include <cmath>

#include "core/constants.h"
#include "water/constants.h"
#include "water/saturation.h"
#include "water/water_density.h"
#include "water/water_properties.h"

namespace aqvis {
namespace {

WaterState water(double TC, double Pbar)
{
    const double TK = kZeroCelsius + TC;
    const WaterStart s = Water_Start(TK, Pbar);
    return Water_Properties(TK, s, Water_Density(TK, s, s.ro, Density_Branch(TK)));
}

TEST(WaterProperties, LiquidWaterAtRoomConditions)
{
    const WaterState s = water(25.0, 1.0);
    EXPECT_NEAR(s.dH2O, 0.997, 0.001);
    EXPECT_LT(s.dH2O, 1.0);
    EXPECT_NEAR(s.VH2O, 18.07, 0.02);
    EXPECT_NEAR(s.ddH2OdPbar, 4.5e-5, 0.05e-5);
    EXPECT_NEAR(s.ddH2OdTK, -2.6e-4, 0.1e-4);
    EXPECT_NEAR(s.d2dH2OdTK2, -9.5e-6, 0.1e-6);
    EXPECT_NEAR(s.CpH2O, 18.06, 0.05);
    // Standard enthalpy of formation and entropy of liquid water (CODATA:
    // -285.830 kJ/mol, 69.95 J/(mol K)), which the reference constants are
    // fitted to with the Helmholtz values of the solution at TK + 0.5 K
    // (those of TK itself miss H by about 9 cal/mol).
    EXPECT_NEAR(s.HH2O, -285830.0 / 4.184, 1.0);
    EXPECT_NEAR(s.SH2O, 69.95 / 4.184, 0.002);
    EXPECT_NEAR(s.GH2O, -56688.0, 15.0);
}

TEST(WaterProperties, RelationsBetweenResults)
{
    for (auto [TC, P] : {std::pair{25.0, 1.0}, {150.0, 0.0}, {350.0, 500.0}, {500.0, 300.0}}) {
        const WaterState s = water(TC, P);
        EXPECT_NEAR(s.VH2O * s.dH2O, kMolarMassWater, 1e-12);
        EXPECT_NEAR(s.GH2O - s.HH2O + s.TK * s.SH2O, water::kGibbsOffset, 1e-7);
    }
}

TEST(WaterProperties, DensityDerivativesAgreeWithNeighbouringStates)
{
    const double TC = 150.0, P = 100.0;
    const WaterState c = water(TC, P);
    const WaterState tp = water(TC + 0.01, P), tm = water(TC - 0.01, P);
    EXPECT_NEAR(c.ddH2OdTK, (tp.dH2O - tm.dH2O) / 0.02, 1e-8);
    EXPECT_NEAR(c.d2dH2OdTK2, (tp.ddH2OdTK - tm.ddH2OdTK) / 0.02, 2e-8);
    const WaterState pp = water(TC, P + 0.5), pm = water(TC, P - 0.5);
    EXPECT_NEAR(c.ddH2OdPbar, (pp.dH2O - pm.dH2O) / 1.0, 1e-10);
}

TEST(WaterProperties, DisplacedSolutionsAcrossTheCriticalTemperature)
{
    // Just above the critical temperature the solution at TK - 0.5 K lies
    // below it, where the gas branch ends at its spinodal (220 bar) or the
    // liquid branch does not reach down (1 bar): both must still be solved,
    // on a branch continuous with the calculation's own state.
    for (auto [TC, P] : {std::pair{374.0, 1.0}, {373.92, 220.0}, {374.0, 221.0}, {373.5, 0.0}}) {
        const WaterState s = water(TC, P);
        EXPECT_TRUE(std::isfinite(s.d2dH2OdTK2)) << TC << " C " << P << " bar";
        EXPECT_TRUE(std::isfinite(s.CpH2O)) << TC << " C " << P << " bar";
        EXPECT_GT(s.dH2O, 0.0);
    }
    // Steam just above the critical temperature stays steam on both sides.
    const WaterState steam = water(374.0, 1.0);
    EXPECT_LT(steam.dH2O, 0.001);
    EXPECT_LT(std::fabs(steam.d2dH2OdTK2), 1e-7);
}

}  // namespace
}  // namespace aqvis
