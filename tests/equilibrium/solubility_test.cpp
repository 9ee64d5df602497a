// The gas-liquid equilibrium: the fugacities it equates, its low-pressure
// limit, the bubble pressure as its inverse, and its failed points.

#include <gtest/gtest.h>

#include <cmath>

#include "equilibrium/liquid_side.h"
#include "equilibrium/solubility.h"
#include "gas/peng_robinson.h"

namespace aqvis {
namespace {

SolubilitySolute prepared(const char* formula, double kij = 0.0)
{
    return Prepare_Solubility(*Catalogue().Find(formula), kij);
}

struct Point {
    const char* solute;
    double TC, Pbar, kij;
};

class Equilibrium : public ::testing::TestWithParam<Point> {};

// Both components have the same fugacity in both phases, to the tolerance,
// recomputed from the case and the gas phase at the solution.
TEST_P(Equilibrium, EquatesTheFugacitiesOfBothComponents)
{
    const Point p = GetParam();
    const SolubilitySolute s = prepared(p.solute, p.kij);
    CaseResult scratch;
    SolubilityResult r;
    Solubility(s, p.TC, p.Pbar, r, scratch);
    ASSERT_TRUE(r.ok) << r.error;
    LiquidSide L;
    ASSERT_FALSE(Liquid_Side(s.liquid, p.TC, p.Pbar, scratch, L));
    const gas::GasPhase g = gas::Gas_Phase(gas::Pure_Terms(s.solute, L.TK), gas::Pure_Terms(s.water, L.TK),
                                           p.kij, r.v.y_water, L.TK, p.Pbar);
    EXPECT_NEAR(r.v.x * std::exp(L.lnkH) / ((1 - r.v.y_water) * std::exp(g.lnphi_solute) * p.Pbar), 1.0, 1e-11);
    EXPECT_NEAR((1 - r.v.x) * std::exp(L.lnfw) / (r.v.y_water * std::exp(g.lnphi_water) * p.Pbar), 1.0, 1e-11);
    EXPECT_NEAR(r.v.molality, 1000 * r.v.x / ((1 - r.v.x) * 18.0152), 1e-12 * r.v.molality);
}

INSTANTIATE_TEST_SUITE_P(Points, Equilibrium,
                         ::testing::Values(Point{"CO2", 25, 1, 0}, Point{"CO2", 50, 700, 0},
                                           Point{"CH4", 300, 90, 0.3}, Point{"H2", 350, 170, 0},
                                           Point{"N2", 100, 1.02, 0}, Point{"C2H6", 171, 600, 0}));

// At 25 degC and 1 bar the gas is nearly ideal and the liquid nearly pure
// water: x is (P - p_w)/kH within 1 %.
TEST(Solubility, FollowsHenrysLawAtLowPressure)
{
    for (const char* gas : {"N2", "O2", "CH4", "CO2"}) {
        CaseResult scratch;
        SolubilityResult r;
        Solubility(prepared(gas), 25.0, 1.0, r, scratch);
        ASSERT_TRUE(r.ok) << r.error;
        const CaseResult c = Run_Case(prepared(gas).liquid, 25.0, 1.0);
        EXPECT_NEAR(r.v.x / ((1.0 - c.values.Psat) / std::exp(c.values.lnkH)), 1.0, 0.01) << gas;
        EXPECT_EQ(r.warning, "");
    }
}

// The bubble pressure at a molality is the pressure whose solubility is that
// molality, over two decades of molality and from cold to hot.
TEST(BubblePressure, IsTheInverseOfTheSolubility)
{
    struct Case {
        const char* solute;
        double TC, molality;
    };
    for (const Case c : {Case{"CO2", 25, 0.03}, Case{"CO2", 25, 1.2}, Case{"CO2", 100, 1.5},
                         Case{"N2", 60, 0.004}, Case{"CH4", 200, 0.05}, Case{"H2", 300, 0.1}}) {
        const SolubilitySolute s = prepared(c.solute);
        CaseResult scratch;
        SolubilityResult bubble, back;
        Bubble_Pressure(s, c.TC, c.molality, bubble, scratch);
        ASSERT_TRUE(bubble.ok) << bubble.error;
        Solubility(s, c.TC, bubble.v.Pbar, back, scratch);
        ASSERT_TRUE(back.ok) << back.error;
        EXPECT_NEAR(back.v.molality / c.molality, 1.0, 1e-9) << c.solute << " " << c.TC << " " << c.molality;
        EXPECT_EQ(back.v.y_water, bubble.v.y_water);
    }
}

// Each failure is a point of its own kind with a sentence that says why.
TEST(Solubility, FailedPointsHaveTheirKindAndSentence)
{
    struct Case {
        const char* solute;
        double TC, value;
        bool bubble;
        ErrorKind kind;
        const char* says;
    };
    CatalogueEntry odd = *Catalogue().Find("N2");
    odd.critical = CriticalConstants{-126.2, 33.9, 0.04};  // only a program can give this
    const SolubilitySolute bad = Prepare_Solubility(odd);
    for (const Case c : {Case{"N2", 25, 0.0, false, ErrorKind::LiquidBoils, "the liquid boils"},
                         Case{"N2", 150, 4.0, false, ErrorKind::LiquidBoils, "saturation pressure of water, 4.7"},
                         Case{"N2", 374, 300, false, ErrorKind::NoTwoPhase, "critical temperature of water"},
                         Case{"N2", 25, 50.0, true, ErrorKind::NoTwoPhase, "no pressure up to 10000 bar"},
                         Case{"CO2", 25, 0.0, true, ErrorKind::NoTwoPhase, "above 0 mol/kg"},
                         Case{"CO2", 25, 1e306, true, ErrorKind::NoTwoPhase, "no bubble pressure"},
                         Case{nullptr, 25, 10.0, false, ErrorKind::InvalidOperation, "gas-liquid equilibrium"}}) {
        const SolubilitySolute s = c.solute ? prepared(c.solute) : bad;
        CaseResult scratch;
        SolubilityResult r;
        if (c.bubble)
            Bubble_Pressure(s, c.TC, c.value, r, scratch);
        else
            Solubility(s, c.TC, c.value, r, scratch);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.kind, c.kind) << r.error;
        EXPECT_NE(r.error.find(c.says), std::string::npos) << r.error;
        EXPECT_EQ(r.v.TC, c.TC);
    }
    try {
        Prepare_Solubility(*Catalogue().Find("H3BO3"));
        FAIL();
    } catch (const CalcError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::NoCriticalConstants);
        EXPECT_NE(std::string(e.what()).find("H3BO3 has no critical temperature"), std::string::npos);
    }
}

TEST(Solubility, WarnsOutsideTheCheckedRange)
{
    struct Case {
        double TC, Pbar;
        const char* says;  // nullptr: no warning
    };
    for (const Case c : {Case{25, 700, "x above 0.03"}, Case{300, 200, "temperature outside"},
                         Case{25, 1500, "pressure above 1000 bar"}, Case{25, 70, "solute-rich phase is a liquid"},
                         Case{25, 60, nullptr}, Case{50, 500, nullptr}}) {
        CaseResult scratch;
        SolubilityResult r;
        Solubility(prepared("CO2"), c.TC, c.Pbar, r, scratch);
        ASSERT_TRUE(r.ok) << r.error;
        if (c.says)
            EXPECT_NE(r.warning.find(c.says), std::string::npos) << r.warning;
        else
            EXPECT_EQ(r.warning, "");
    }
}

}  // namespace
}  // namespace aqvis
