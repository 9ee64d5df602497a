// One calculation from TC and Pbar to the properties of the aqueous solute,
// including the failures it must report instead of carrying inf or NaN.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "driver/calculation.h"
#include "core/errors.h"
#include "core/fp.h"
#include "core/origin_values.h"
#include "solute/catalogue.h"
#include "support/fresh_calculation.h"

namespace aqvis {
namespace {

CalcState ready(const char* formula) { return test::Loaded_State(formula); }

CalcState run(const char* formula, double TC, double Pbar)
{
    return test::Fresh_Calculation(formula, TC, Pbar);
}

ErrorKind failure_kind(CalcState& s, double TC, double Pbar, std::string* msg = nullptr)
{
    s.TC = TC;
    s.Pbar = Pbar;
    try {
        Calculate_Properties(s);
    } catch (const CalcError& e) {
        if (msg) *msg = e.what();
        return e.kind();
    }
    ADD_FAILURE() << "no failure at " << TC << " C, " << Pbar << " bar";
    return ErrorKind::UnknownSolute;
}

TEST(Calculation, NitrogenAtRoomConditions)
{
    const CalcState s = run("N2", 25.0, 1.0);
    EXPECT_EQ(s.TK, 298.15);
    EXPECT_NEAR(s.lnkH, 11.4, 0.05);  // Henry constant of about 9e4 bar
    EXPECT_NEAR(s.V2, 35.7, 0.1);
    EXPECT_NEAR(s.Cp2, 57.0, 0.5);
    // Fugacity of liquid water at 25 C is close to its vapour pressure.
    EXPECT_NEAR(std::exp(s.lnfH2O) / s.Psat, 1.0, 0.03);
}

TEST(Calculation, ZeroPressureMeansSaturation)
{
    const CalcState s = run("H2", 25.0, 0.0);
    EXPECT_EQ(s.Pbar, s.Psat);
    EXPECT_NEAR(s.Pbar, 0.0317, 0.0002);
    CalcState seen = ready("H2");
    seen.TC = 25.0;
    seen.Pbar = 0.0;
    double shown = -1;
    Calculate_Properties(seen, [&](const CalcState& x) { shown = x.Pbar; });
    EXPECT_EQ(shown, seen.Psat);  // the pressure actually used, before water is solved
}

TEST(Calculation, SteamAndSupercriticalStates)
{
    const CalcState steam = run("N2", 400.0, 1.0);
    EXPECT_NEAR(steam.dH2O, 3.2e-4, 0.05e-4);
    const CalcState dense = run("N2", 400.0, 1000.0);
    EXPECT_NEAR(dense.dH2O, 0.69, 0.01);
    for (const CalcState& s : {steam, dense}) {
        EXPECT_TRUE(std::isfinite(s.Cp2));
        EXPECT_TRUE(std::isfinite(s.GTaqua));
    }
}

TEST(Calculation, PressureZeroAboveTheCriticalTemperatureDividesByZero)
{
    CalcState s = ready("H2");
    s.Vs = 123.0;  // must keep its value: the failing statement is not stored
    std::string msg;
    EXPECT_EQ(failure_kind(s, 400.0, 0.0, &msg), ErrorKind::DivisionByZero);
    EXPECT_EQ(s.TK, 673.15);  // written before the failure
    EXPECT_EQ(s.Vs, 123.0);
    EXPECT_NE(msg.find("Division by zero"), std::string::npos);
    EXPECT_NE(msg.find("400"), std::string::npos);
}

TEST(Calculation, AbsoluteZeroAndBelowFail)
{
    CalcState s = ready("H2");
    EXPECT_EQ(failure_kind(s, -273.15, 1.0), ErrorKind::DivisionByZero);
    CalcState t = ready("H2");
    const ErrorKind k = failure_kind(t, -300.0, 1.0);
    EXPECT_TRUE(k == ErrorKind::InvalidOperation || k == ErrorKind::Overflow ||
                k == ErrorKind::DivisionByZero);
}

TEST(Calculation, NegativePressureAboveTheCriticalTemperatureFails)
{
    CalcState s = ready("H2");
    EXPECT_EQ(failure_kind(s, 500.0, -10.0), ErrorKind::InvalidOperation);
}

TEST(Calculation, FailureLeavesNoNonFiniteResultBehindTheError)
{
    // A failed calculation after a good one: the results of the good one are
    // not replaced by inf or NaN.
    CalcState s = run("CO2", 25.0, 1.0);
    const double lnkH = s.lnkH;
    failure_kind(s, 400.0, 0.0);
    EXPECT_EQ(s.lnkH, lnkH);
    EXPECT_EQ(fp::raised(), 0);  // status flags are left clean
}

TEST(Calculation, EveryCatalogueSoluteAtRoomConditions)
{
    for (const SoluteRecord& r : Solute_Catalogue) {
        const CalcState s = run(r.Formula, 25.0, 1.0);
        EXPECT_TRUE(std::isfinite(s.lnkH) && std::isfinite(s.Cp2)) << r.Formula;
        EXPECT_GT(s.V2, 0.0) << r.Formula;
    }
}

TEST(Calculation, GibbsEnergyIsTheIdealGasPlusHenryTerm)
{
    const CalcState s = run("CH4", 150.0, 200.0);
    const double R = s.RGascal, T = s.TK, Lm = std::log(1000.0 / s.MH2O);
    EXPECT_NEAR(s.GTaqua, s.GTgas + R * T * s.lnkH - R * T * Lm, 1e-8 * std::fabs(s.GTaqua));
}

// Terms that depend on the temperature alone are kept from one calculation to
// the next.  A state met again, after others and more than once, must come
// out bit for bit as it did the first time, and a failing one (the
// temperature terms overflow near absolute zero) must fail the same way.
TEST(Calculation, StatesMetAgainComeOutTheSame)
{
    struct Outcome {
        std::string error;
        std::uint64_t bits[6];
    };
    const auto outcome = [](double TC, double Pbar) {
        CalcState s = ready("N2");
        s.TC = TC;
        s.Pbar = Pbar;
        Outcome o{};
        try {
            Calculate_Properties(s);
        } catch (const CalcError& e) {
            o.error = e.what();
        }
        const double v[6] = {s.Psat, s.dH2O, s.d2dH2OdTK2, s.lnkH, s.V2, s.Cp2};
        for (int k = 0; k < 6; ++k) o.bits[k] = std::bit_cast<std::uint64_t>(v[k]);
        return o;
    };
    const double states[][2] = {{25.0, 1.0},  {300.0, 500.0}, {450.0, 10.0},
                                {100.0, 0.0}, {-273.14, 100.0}, {25.0, 1000.0}};
    std::vector<Outcome> first;
    for (const auto& st : states) first.push_back(outcome(st[0], st[1]));
    EXPECT_EQ(first[0].error, "");
    EXPECT_NE(first[4].error, "");
    for (int round = 1; round <= 3; ++round)
        for (std::size_t i = 0; i < first.size(); ++i) {
            const Outcome o = outcome(states[i][0], states[i][1]);
            EXPECT_EQ(o.error, first[i].error) << "state " << i << ", round " << round;
            EXPECT_EQ(std::memcmp(o.bits, first[i].bits, sizeof o.bits), 0)
                << "state " << i << ", round " << round;
        }
}

}  // namespace
}  // namespace aqvis
