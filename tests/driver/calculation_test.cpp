// One calculation from TC and Pbar to the properties of the aqueous solute,
// including the failures it must report instead of carrying inf or NaN.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/fp.h"
#include "driver/calculation.h"
#include "solute/catalogue.h"
#include "support/fresh_calculation.h"

namespace aqvis {
namespace {

CaseValues run(const char* formula, double TC, double Pbar)
{
    return test::Fresh_Calculation(formula, TC, Pbar);
}

TEST(Calculation, RoomConditionsSaturationAndSteam)
{
    const CaseValues s = run("N2", 25.0, 1.0);
    EXPECT_EQ(s.TK, 298.15);
    // Fugacity of liquid water at 25 C is close to its vapour pressure.
    EXPECT_NEAR(std::exp(s.lnfH2O) / s.Psat, 1.0, 0.03);

    const CaseValues sat = run("H2", 25.0, 0.0);
    EXPECT_EQ(sat.Pbar, sat.Psat);
    EXPECT_NEAR(sat.Pbar, 0.0317, 0.0002);
    // The pressure actually used is handed on before water is solved.
    double shown = -1;
    CalcValues v;
    EXPECT_FALSE(Calculate(CatalogueEntry(*Find_Solute("H2")), 25.0, 0.0, v,
                           [&](double used) { shown = used; }));
    EXPECT_EQ(shown, v.Psat);

    EXPECT_NEAR(run("N2", 400.0, 1.0).dH2O, 3.2e-4, 0.05e-4);
    EXPECT_NEAR(run("N2", 400.0, 1000.0).dH2O, 0.69, 0.01);
    for (const SoluteRecord& r : Solute_Catalogue) {
        const CaseValues c = run(r.Formula, 25.0, 1.0);
        EXPECT_TRUE(std::isfinite(c.lnkH) && std::isfinite(c.Cp2)) << r.Formula;
        EXPECT_GT(c.V2, 0.0) << r.Formula;
    }
}

// Failures name their kind and the state point; the values handed in stay
// as they were and the status flags are left clean.
TEST(Calculation, FailuresNameTheirKind)
{
    const CatalogueEntry h2(*Find_Solute("H2"));
    struct Case {
        double TC, Pbar;
        ErrorKind kind;
        const char* text;
    };
    const Case cases[] = {
        {400.0, 0.0, ErrorKind::DivisionByZero, "Division by zero in the calculation at 400 \xC2\xB0" "C and 0 bar"},
        {-273.15, 1.0, ErrorKind::DivisionByZero, "Division by zero"},
        {500.0, -10.0, ErrorKind::InvalidOperation, "Invalid operation"},
        {400.0, 1e6, ErrorKind::NoConvergence, "No convergence"},
    };
    CalcValues good;
    ASSERT_FALSE(Calculate(h2, 25.0, 1.0, good));
    for (const Case& c : cases) {
        CalcValues v = good;
        const std::optional<CalcError> e = Calculate(h2, c.TC, c.Pbar, v);
        ASSERT_TRUE(e) << c.TC << " C " << c.Pbar << " bar";
        EXPECT_EQ(e->kind(), c.kind) << c.TC;
        EXPECT_NE(std::string(e->what()).find(c.text), std::string::npos) << e->what();
        EXPECT_EQ(std::memcmp(&v, &good, sizeof v), 0) << c.TC;
        EXPECT_EQ(fp::raised(), 0);
    }
    CalcValues v;
    const std::optional<CalcError> e = Calculate(h2, -300.0, 1.0, v);
    ASSERT_TRUE(e);
    EXPECT_NE(e->kind(), ErrorKind::NoConvergence);
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
    const CatalogueEntry n2(*Find_Solute("N2"));
    const auto outcome = [&](double TC, double Pbar) {
        CalcValues v;
        Outcome o{};
        if (const auto e = Calculate(n2, TC, Pbar, v)) o.error = e->what();
        const double d[6] = {v.Psat, v.dH2O, v.d2dH2OdTK2, v.lnkH, v.V2, v.Cp2};
        for (int k = 0; k < 6; ++k) o.bits[k] = std::bit_cast<std::uint64_t>(d[k]);
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
