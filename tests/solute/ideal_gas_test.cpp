// Ideal-gas Gibbs energy, entropy and heat capacity from the data at 298.15 K
// and the three-term heat capacity Cp = a + b T - c / T^2.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/fp.h"
#include "solute/catalogue.h"
#include "solute/ideal_gas.h"

namespace aqvis {
namespace {

constexpr double kTr = 298.15;

struct Substance {
    std::string name;
    IdealGasData data;
};

// Water vapour and every catalogue solute.
std::vector<Substance> all_substances()
{
    std::vector<Substance> v{{"H2O(g)", solute::kWaterVapour}};
    for (const SoluteRecord& r : Solute_Catalogue) v.push_back({r.Formula, CatalogueEntry(r).Gas()});
    return v;
}

TEST(IdealGas, AtTheReferenceTemperatureGivesTheTabulatedValues)
{
    for (const Substance& g : all_substances()) {
        SCOPED_TRACE(g.name);
        const IdealGas r = IdealGas_Values(kTr, g.data);
        EXPECT_EQ(r.G, g.data.G0);
        EXPECT_EQ(r.S, g.data.S0);
        const double cp = g.data.a + g.data.bE3 * 1e-3 * kTr - g.data.cEmin5 * 1e5 / (kTr * kTr);
        EXPECT_NEAR(r.Cp, cp, 1e-12 * std::fabs(cp));
    }
}

// S = -dG/dT and Cp = T dS/dT, by central difference quotients.
TEST(IdealGas, EntropyAndHeatCapacityAreDerivativesOfTheGibbsEnergy)
{
    const double h = 1e-3;
    for (const Substance& g : all_substances()) {
        for (double T : {260.0, 298.15, 373.15, 550.0, 900.0}) {
            SCOPED_TRACE(g.name + " at " + std::to_string(T) + " K");
            const IdealGas r = IdealGas_Values(T, g.data);
            const IdealGas up = IdealGas_Values(T + h, g.data), down = IdealGas_Values(T - h, g.data);
            EXPECT_NEAR(r.S, -(up.G - down.G) / (2 * h), 1e-5 * (1.0 + std::fabs(r.S)));
            EXPECT_NEAR(r.Cp, T * (up.S - down.S) / (2 * h), 1e-5 * (1.0 + std::fabs(r.Cp)));
        }
    }
}

// Values worked by hand: the stored b and c are scaled at use (b*1e3, c*1e-5),
// a positive stored c lowers Cp and raises G on both sides of Tr by
// (c/2) (T - Tr)^2 / (T Tr^2), and a constant Cp gives the closed forms.
TEST(IdealGas, ValuesWorkedByHand)
{
    const IdealGasData n2{0, 45.796, 6.83, 0.9, 0.12}, h2{0, 31.234, 6.52, 0.78, -0.12};
    const IdealGasData ar{0, 37.0085, 4.968, 0, 0};
    const IdealGasData plain{-1000.0, 50.0, 7.0, 1.0, 0.0}, with_c{-1000.0, 50.0, 7.0, 1.0, 0.5};
    EXPECT_NEAR(IdealGas_Values(500.0, n2).Cp, 6.83 + 0.45 - 0.048, 1e-12);
    EXPECT_NEAR(IdealGas_Values(500.0, h2).Cp, 6.52 + 0.39 + 0.048, 1e-12);
    EXPECT_NEAR(IdealGas_Values(298.15, solute::kWaterVapour).Cp, 7.94, 0.005);
    EXPECT_NEAR(IdealGas_Values(373.15, solute::kWaterVapour).Cp, 8.18, 0.005);
    for (double T : {220.0, 280.0, 320.0, 647.0, 1200.0}) {
        SCOPED_TRACE(T);
        const double L = std::log(T / kTr);
        const IdealGas a = IdealGas_Values(T, ar);
        EXPECT_EQ(a.Cp, 4.968);
        EXPECT_NEAR(a.S, 37.0085 + 4.968 * L, 1e-12);
        const double G = -37.0085 * (T - kTr) - 4.968 * (T * L - T + kTr);
        EXPECT_NEAR(a.G, G, 1e-9 * (1.0 + std::fabs(G)));
        const double dG = 25000.0 * (T - kTr) * (T - kTr) / (T * kTr * kTr);
        EXPECT_NEAR(IdealGas_Values(T, with_c).G - IdealGas_Values(T, plain).G, dG, 1e-9 * dG + 1e-9);
        EXPECT_NEAR(IdealGas_Values(T, plain).Cp - IdealGas_Values(T, with_c).Cp, 50000.0 / (T * T), 1e-12);
    }
}

TEST(IdealGas, NonPositiveTemperatureIsAFloatingPointFailure)
{
    for (double T : {0.0, -10.0}) {
        fp::StrictScope strict;
        fp::clear();
        try {
            (void)IdealGas_Values(T, {0, 45.796, 6.83, 0.9, 0.12});
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
