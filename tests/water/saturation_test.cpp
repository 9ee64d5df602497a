// Saturation curve, pressure clamp and the starting density.

#include <gtest/gtest.h>

#include <cmath>

#include "core/constants.h"
#include "water/constants.h"
#include "water/saturation.h"

namespace aqvis {
namespace {

TEST(WaterStart, SaturationPressureAndClamp)
{
    // Steam tables: 0.03169 bar at 25 C, 1.0142 bar at 100 C; at exactly
    // the critical temperature the equation gives Pcr.
    EXPECT_NEAR(Water_Start(298.15, 0).Psat, 0.0317, 0.0002);
    EXPECT_NEAR(Water_Start(373.15, 0).Psat, 1.014, 0.002);
    EXPECT_EQ(Water_Start(water::Tcr, 0).Psat, water::Pcr);
    const WaterStart sat = Water_Start(298.15, 0);
    for (double P : {0.0, 0.01, -5.0, sat.Psat}) {
        const WaterStart s = Water_Start(298.15, P);
        EXPECT_EQ(s.Pbar, s.Psat) << P;
        // The saturated liquid, just under 1 g/cm3.
        EXPECT_EQ(s.ro, sat.ro) << P;
        EXPECT_GT(s.ro * water::dcr, 0.99);
        EXPECT_LT(s.ro * water::dcr, 1.0);
    }
    // At the critical temperature the saturated-liquid branch gives ro = 1.
    EXPECT_EQ(Water_Start(water::Tcr, 0).ro, 1.0);
}

TEST(WaterStart, IdealGasAboveTheCriticalTemperature)
{
    const WaterStart s = Water_Start(700.0, 100.0);
    EXPECT_EQ(s.Psat, 0.0);
    EXPECT_EQ(s.Pbar, 100.0);
    EXPECT_NEAR(s.ro * water::dcr, 100.0 * kMolarMassWater / (kGasConstantCm3Bar * 700.0), 1e-15);
}

TEST(WaterStart, CompressedLiquidUsesThePolynomialOfItsBand)
{
    // At 25 C and 1 bar the first band gives about 17.3 cm3/mol.
    EXPECT_NEAR(kMolarMassWater / (Water_Start(298.15, 1.0).ro * water::dcr), 17.3, 0.1);
    // The start depends on the temperature and the band alone; band limits
    // are inclusive (exactly 1000 bar is the first band).
    const double t = 400.0;
    for (double limit : {1000.0, 2000.0, 3000.0, 5000.0, 10000.0}) {
        const double inside = Water_Start(t, limit).ro;
        EXPECT_EQ(Water_Start(t, limit - 1.0).ro, inside) << limit;
        EXPECT_NE(Water_Start(t, limit + 0.5).ro, inside) << limit;
        EXPECT_GT(inside * water::dcr, 0.5) << limit;  // a liquid-like start
    }
}

}  // namespace
}  // namespace aqvis
