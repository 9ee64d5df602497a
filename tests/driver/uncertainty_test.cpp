// The parameter gradients of the solute's properties and the uncertainty
// propagated through them, against the model run again with shifted
// parameters: at a fixed state of water each property is affine in xi, a and
// b, so a shift of any size changes it by exactly gradient · shift.

#include <gtest/gtest.h>

#include <array>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>

#include "driver/uncertainty.h"
#include "support/fresh_calculation.h"

namespace aqvis {
namespace {

struct Property {
    const char* name;
    double CaseValues::*value;
    ParameterGradient AqueousGradients::*gradient;
};

const Property kProperties[] = {
    {"lnkH", &CaseValues::lnkH, &AqueousGradients::lnkH}, {"GTaqua", &CaseValues::GTaqua, &AqueousGradients::GTaqua},
    {"S2", &CaseValues::S2, &AqueousGradients::S2},       {"V2", &CaseValues::V2, &AqueousGradients::V2},
    {"Cp2", &CaseValues::Cp2, &AqueousGradients::Cp2},
};

struct State {
    const char* solute;
    double TC, Pbar;
};

// Liquid (at 1 bar, on the saturation curve, compressed) and steam above the
// critical temperature, thin and dense.
const State kStates[] = {{"N2", 25.0, 1.0},    {"CH4", 300.0, 0.0},  {"CO2", 350.0, 500.0},
                         {"H2", 400.0, 10.0},  {"C2H6", 600.0, 300.0}, {"Ne", 1000.0, 1.0}};

test::Parameters shifted(const CaseValues& s, int parameter, double by)
{
    std::array<double, 3> p = {s.Xi, s.Coef1, s.Coef2};
    p[parameter] += by;
    return {p[0], p[1], p[2]};
}

std::string where(const State& s)
{
    return std::string(s.solute) + " at " + std::to_string(s.TC) + " C and " + std::to_string(s.Pbar) + " bar";
}

// The gradient against difference quotients of full calculations: one
// shift of a whole unit (exact for an affine function, but for the rounding
// of the two values) and central differences of a small step.
TEST(ParameterGradients, AgreeWithShiftedCalculationsOfAnySize)
{
    const struct {
        double step;       // in units of the parameter
        bool central;
        double tolerance;  // relative
    } quotients[] = {{1.0, false, 1e-9}, {1e-4, true, 1e-6}};
    for (const State& st : kStates) {
        SCOPED_TRACE(where(st));
        const CaseValues base = test::Fresh_Calculation(st.solute, st.TC, st.Pbar);
        const AqueousGradients g = Parameter_Gradients(base);
        for (const auto& q : quotients)
            for (int i = 0; i < 3; ++i) {
                const CaseValues up = test::Fresh_Calculation(st.solute, st.TC, st.Pbar, shifted(base, i, q.step));
                const CaseValues down = q.central
                                            ? test::Fresh_Calculation(st.solute, st.TC, st.Pbar, shifted(base, i, -q.step))
                                            : base;
                const double span = q.central ? 2 * q.step : q.step;
                for (const Property& p : kProperties) {
                    const double quotient = (up.*p.value - down.*p.value) / span, exact = (g.*p.gradient)[i];
                    // The quotient resolves no more than the rounding of the
                    // values (thin steam changes S2 by 2e-7 per unit of a).
                    const double rounding = 8 * DBL_EPSILON * std::max(std::abs(up.*p.value), std::abs(down.*p.value)) / span;
                    EXPECT_NEAR(exact, quotient, q.tolerance * std::abs(quotient) + rounding)
                        << p.name << " parameter " << i << " step " << q.step;
                }
            }
    }
}

// u = √(d Σ dᵀ), d the changes of three calculations shifted by one unit of
// each parameter, for a covariance like that of a fit along the saturation
// curve (a and b correlated -0.995), to 1e-9; K and the joule values follow
// from their own shifted values.
TEST(PropagatedUncertainty, EqualsTheVarianceOfThreeShiftedCalculations)
{
    const ParameterCovariance sigma = Covariance_From({4.4e-5, 1.02e-2, 1.06e-2, 6.1e-4, -6.3e-4, -1.035e-2});
    ASSERT_EQ(Covariance_Problem(sigma), "");
    for (const State& st : kStates) {
        SCOPED_TRACE(where(st));
        const CaseResult base = Run_Case(test::Prepared(st.solute), st.TC, st.Pbar);
        ASSERT_TRUE(base.ok);
        CaseResult up[3];
        for (int i = 0; i < 3; ++i) up[i] = Run_Case(test::Prepared(st.solute, shifted(base.values, i, 1.0)), st.TC, st.Pbar);
        const auto expected = [&](auto value) {
            double variance = 0.0;
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    variance += (value(up[i]) - value(base)) * sigma.m[i][j] * (value(up[j]) - value(base));
            return std::sqrt(variance);
        };
        const CaseUncertainties u = Case_Uncertainties(base.values, base.derived, sigma);
        const struct {
            const char* name;
            double got, want;
        } checks[] = {
            {"lnkH", u.lnkH, expected([](const CaseResult& r) { return r.values.lnkH; })},
            {"GTaqua", u.GTaqua, expected([](const CaseResult& r) { return r.values.GTaqua; })},
            {"S2", u.S2, expected([](const CaseResult& r) { return r.values.S2; })},
            {"V2", u.V2, expected([](const CaseResult& r) { return r.values.V2; })},
            {"Cp2", u.Cp2, expected([](const CaseResult& r) { return r.values.Cp2; })},
            {"HTaqua", u.HTaqua, expected([](const CaseResult& r) { return r.derived.HTaqua; })},
            {"K", u.K / base.derived.K, expected([](const CaseResult& r) { return std::log(r.derived.K); })},
            {"GTaquaJ", u.GTaquaJ, expected([](const CaseResult& r) { return r.derived.GTaquaJ; })},
            {"S2J", u.S2J, expected([](const CaseResult& r) { return r.derived.S2J; })},
            {"Cp2J", u.Cp2J, expected([](const CaseResult& r) { return r.derived.Cp2J; })},
        };
        for (const auto& c : checks) EXPECT_NEAR(c.got, c.want, 1e-9 * c.want) << c.name;
    }
}

// A singular covariance (one direction of the parameters known exactly) and
// a gradient along that direction: the variance rounds to about zero, maybe
// below it, and the uncertainty is zero, not NaN.
TEST(PropagatedUncertainty, AlongAKnownDirectionIsZeroNotNaN)
{
    const double v[3] = {0.1, -0.7, 0.3};  // Σ = v vᵀ: known exactly across v
    ParameterCovariance c;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) c.m[i][j] = v[i] * v[j];
    for (const ParameterGradient& g : {ParameterGradient{0.7, 0.1, 0.0}, ParameterGradient{3.0, 0.3, -0.3},
                                       ParameterGradient{0.0, 3e10, 7e10}}) {
        const double u = Propagated_Uncertainty(g, c);
        EXPECT_TRUE(u >= 0.0 && u < 1e-6 * (std::abs(g[0]) + std::abs(g[1]) + std::abs(g[2]))) << u;
    }
}

// K's uncertainty is K times that of ln K: a large K with a large but finite
// u_lnkH overflows there, and the case fails rather than write an infinity.
TEST(PropagatedUncertainty, TooLargeForADoubleIsAnOverflow)
{
    const CaseResult base = Run_Case(test::Prepared("N2"), 25.0, 1.0);
    ASSERT_TRUE(base.ok);
    const double v = 1e100;  // variances: u_lnkH of order 1e50 to 1e55
    const ParameterCovariance sigma = Covariance_From({v, v, v, 0.0, 0.0, 0.0});
    const struct {
        double K;
        bool fails;
    } cases[] = {{base.derived.K, false}, {1e300, true}};
    for (const auto& c : cases) {
        DerivedValues d = base.derived;
        d.K = c.K;
        bool failed = false;
        try {
            Case_Uncertainties(base.values, d, sigma);
        } catch (const CalcError& e) {
            failed = e.kind() == ErrorKind::Overflow;
        }
        EXPECT_EQ(failed, c.fails) << c.K;
    }
}

}  // namespace
}  // namespace aqvis
