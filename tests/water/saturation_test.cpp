// Saturation curve, pressure clamp and the liquid starting density.

#include <gtest/gtest.h>

#include <cmath>

#include "core/origin_values.h"
#include "water/saturation.h"

namespace aqvis {
namespace {

CalcState at(double TK, double Pbar)
{
    CalcState s;
    Origin_Values(s);
    s.TK = TK;
    s.Pbar = Pbar;
    Saturation_Values(s);
    return s;
}

TEST(Saturation, VapourPressureAtKnownTemperatures)
{
    // Steam tables: 0.03169 bar at 25 C, 1.0142 bar at 100 C.
    EXPECT_NEAR(at(298.15, 0).Psat, 0.0317, 0.0002);
    EXPECT_NEAR(at(373.15, 0).Psat, 1.014, 0.002);
    // At exactly the critical temperature the equation gives Pcr.
    CalcState c = at(647.067, 0);
    EXPECT_EQ(c.Psat, 220.46);
}

TEST(Saturation, LowPressureIsRaisedToSaturation)
{
    for (double P : {0.0, 0.01, -5.0}) {
        CalcState s = at(298.15, P);
        EXPECT_EQ(s.Pbar, s.Psat) << P;
        // Saturated liquid just under 1 g/cm3.
        EXPECT_GT(s.ro * s.dcr, 0.99);
        EXPECT_LT(s.ro * s.dcr, 1.0);
    }
    // Entering the saturation pressure itself takes the saturated-liquid branch.
    CalcState sat = at(298.15, 0);
    CalcState same = at(298.15, sat.Psat);
    EXPECT_EQ(same.ro, sat.ro);
    // At the critical temperature the saturated-liquid branch gives ro = 1.
    EXPECT_EQ(at(647.067, 0).ro, 1.0);
}

TEST(Saturation, PreviousPsatIsKeptAboveTheCriticalTemperature)
{
    CalcState s = at(298.15, 0);
    const double p = s.Psat;
    s.TK = 700.0;
    s.Pbar = 100.0;
    Saturation_Values(s);
    EXPECT_EQ(s.Psat, p);
}

TEST(Saturation, CompressedLiquidUsesThePolynomialOfItsBand)
{
    // At 25 C and 1 bar the first band gives about 17.3 cm3/mol.
    EXPECT_NEAR(at(298.15, 1.0).Vs, 17.3, 0.1);
    const double t = 400.0;
    auto band = [&](int k) {
        switch (k) {
        case 1: return 116.271 - 1.03596 * t + 0.00390561 * t * t - 6.2842e-6 * t * t * t + 3.7039e-9 * t * t * t * t;
        case 2: return 5.851212 + 0.0822269 * t - 0.000199974 * t * t + 1.82853e-7 * t * t * t;
        case 3: return 23.666 - 0.04115 * t + 6.96e-5 * t * t - 1.462e-8 * t * t * t;
        case 4: return 13.956 + 0.002059 * t + 1.3935e-5 * t * t;
        case 5: return 13.737 + 0.0032645 * t + 4.822e-6 * t * t;
        default: return 11.894 + 0.007639 * t;
        }
    };
    // Upper limits are inclusive: exactly 1000 bar is the first band.
    const std::pair<double, int> cases[] = {{1000.0, 1}, {1000.5, 2}, {2000.0, 2}, {2000.5, 3},
                                            {3000.0, 3}, {3001.0, 4}, {5000.0, 4}, {5001.0, 5},
                                            {10000.0, 5}, {10001.0, 6}};
    for (auto [P, k] : cases) {
        CalcState s = at(t, P);
        EXPECT_NEAR(s.Vs, band(k), 1e-9) << P;
        EXPECT_DOUBLE_EQ(s.ro, 18.0152 / s.Vs / s.dcr);
    }
}

}  // namespace
}  // namespace aqvis
