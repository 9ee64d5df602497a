// The fast evaluation of the Helmholtz function against the plain loop-for-loop
// oracle, and the analytic derivatives against difference quotients.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/origin_values.h"
#include "helmholtz_reference.h"
#include "water/helmholtz.h"

namespace aqvis {
namespace {

CalcState at(double TK, double ro)
{
    CalcState s;
    Origin_Values(s);
    s.TK = TK;
    s.T = -s.Tcr / TK;
    s.dlT = s.T + 1.0;
    s.ro = ro;
    return s;
}

// Largest magnitude among the pieces that are summed into A and its
// derivatives: differences of the order of rounding are measured against it.
double scale_of(const CalcState& r)
{
    double m = 1.0;
    for (double v : {r.W1, r.W1ro, r.W1roro, r.W1T, r.W1TT, r.W1roT, r.W2, r.W2ro, r.W2roro, r.W2T,
                     r.W2TT, r.W2roT, r.W3, r.W3ro, r.W3roro, r.W3T, r.W3TT, r.W3roT, r.W4, r.W4ro,
                     r.W4roro, r.W4T, r.W4TT, r.W4roT, r.A0, r.A0T, r.A0TT, 1.0 / r.ro,
                     1.0 / (r.ro * r.ro)})
        m = std::fmax(m, std::fabs(v));
    // The Gaussian-weighted piece can dominate inside the two-phase region.
    for (double g : {r.G, r.Gro, r.Groro, r.GT, r.GTT, r.GroT})
        for (double w : {r.W3, r.W3ro, r.W3roro, r.W3T, r.W3TT, r.W3roT})
            m = std::fmax(m, std::fabs(g * w));
    return m;
}

TEST(Helmholtz, FastEvaluationMatchesThePlainSums)
{
    const double temps[] = {273.16, 298.15, 373.15, 500.0, 600.0, 647.067, 650.0, 673.15, 800.0, 1273.15};
    const double densities[] = {1e-7, 1.9e-5, 2e-5, 1e-3, 0.05, 0.3, 0.9, 1.0, 1.1, 2.0, 3.0, 3.1, 3.5, 4.2};
    for (double TK : temps) {
        for (double ro : densities) {
            CalcState fast = at(TK, ro), ref = at(TK, ro);
            Helmholtz_H2O(fast);
            test::Helmholtz_H2O_Reference(ref);
            const double tol = 1e-13 * scale_of(ref);
            SCOPED_TRACE(testing::Message() << "TK=" << TK << " ro=" << ro);
            EXPECT_NEAR(fast.A, ref.A, tol);
            EXPECT_NEAR(fast.Aro, ref.Aro, tol);
            EXPECT_NEAR(fast.Aroro, ref.Aroro, tol);
            EXPECT_NEAR(fast.AT, ref.AT, tol);
            EXPECT_NEAR(fast.ATT, ref.ATT, tol);
            EXPECT_NEAR(fast.AroT, ref.AroT, tol);
            for (auto m : {&CalcState::W1, &CalcState::W2ro, &CalcState::W3roro, &CalcState::W4TT,
                           &CalcState::W4roT, &CalcState::W3T, &CalcState::G, &CalcState::GroT,
                           &CalcState::H, &CalcState::A0TT, &CalcState::UnitMinusE, &CalcState::tmp})
                EXPECT_NEAR(fast.*m, ref.*m, tol);
            // Working functions hold the values of the last summation index.
            for (auto m : {&CalcState::R1, &CalcState::R1ro, &CalcState::R1roro, &CalcState::R2,
                           &CalcState::R2roro, &CalcState::R3, &CalcState::R3ro, &CalcState::T1,
                           &CalcState::T1T, &CalcState::T1TT, &CalcState::T2, &CalcState::T2TT})
                EXPECT_NEAR(fast.*m, ref.*m, 1e-13 * std::fmax(1.0, std::fabs(ref.*m)));
        }
    }
}

TEST(Helmholtz, AnalyticDerivativesAgreeWithDifferenceQuotients)
{
    for (double TK : {298.15, 450.0, 640.0, 700.0, 1000.0}) {
        for (double ro : {0.01, 0.5, 1.0, 2.0, 3.1}) {
            auto A = [&](double TKx, double rox) {
                CalcState s = at(TKx, rox);
                Helmholtz_H2O(s);
                return s;
            };
            const CalcState c = A(TK, ro);
            const double h = 1e-5 * ro;
            const CalcState rp = A(TK, ro + h), rm = A(TK, ro - h);
            SCOPED_TRACE(testing::Message() << "TK=" << TK << " ro=" << ro);
            EXPECT_NEAR(c.Aro, (rp.A - rm.A) / (2 * h), 1e-6 * std::fmax(1.0, std::fabs(c.Aro)));
            EXPECT_NEAR(c.Aroro, (rp.Aro - rm.Aro) / (2 * h), 1e-6 * std::fmax(1.0, std::fabs(c.Aroro)));
            // Derivatives in the variable T = -Tcr/TK.
            const double T = c.T, dT = 1e-6;
            const double TKp = -c.Tcr / (T + dT), TKm = -c.Tcr / (T - dT);
            const CalcState tp = A(TKp, ro), tm = A(TKm, ro);
            EXPECT_NEAR(c.AT, (tp.A - tm.A) / (2 * dT), 1e-6 * std::fmax(1.0, std::fabs(c.AT)));
            EXPECT_NEAR(c.ATT, (tp.AT - tm.AT) / (2 * dT), 1e-5 * std::fmax(1.0, std::fabs(c.ATT)));
            EXPECT_NEAR(c.AroT, (tp.Aro - tm.Aro) / (2 * dT), 1e-5 * std::fmax(1.0, std::fabs(c.AroT)));
        }
    }
}

TEST(Helmholtz, SmallDensityFormOfOneMinusE)
{
    // Below 2e-5 the difference 1 - exp(-ro^2) is replaced by ro^2.
    CalcState below = at(700.0, 1.5e-5);
    Helmholtz_H2O(below);
    EXPECT_EQ(below.UnitMinusE, 1.5e-5 * 1.5e-5);
    CalcState edge = at(700.0, 2e-5);
    Helmholtz_H2O(edge);
    EXPECT_EQ(edge.UnitMinusE, 1.0 - std::exp(-(2e-5 * 2e-5)));
}

TEST(Helmholtz, TemperatureFunctionsKeepTheSignOfNegativePowers)
{
    CalcState s = at(500.0, 1.0);
    Helmholtz_H2O(s);
    ASSERT_LT(s.T, 0.0);
    // Last index of the W4 sums is j = 10: T1 = T^9 (odd power: negative).
    EXPECT_LT(s.T1, 0.0);
    EXPECT_DOUBLE_EQ(s.T1, std::pow(s.T, 9));
    EXPECT_DOUBLE_EQ(s.T1TT, 72.0 * std::pow(s.T, 7));
    // Last index of the W3 sums is j = 5: T2 = T^6 (even power: positive).
    EXPECT_GT(s.T2, 0.0);
}

TEST(Helmholtz, GaussianWeightIsATinyNegativeConstantFarFromTheCriticalPoint)
{
    CalcState far = at(298.15, 3.09);
    Helmholtz_H2O(far);
    EXPECT_LT(far.tmp, -88.0);
    EXPECT_EQ(far.G, -1.01e-38);
    CalcState near = at(647.067, 1.0);
    Helmholtz_H2O(near);
    EXPECT_EQ(near.dlT, 0.0);
    EXPECT_EQ(near.T, -1.0);
    EXPECT_DOUBLE_EQ(near.G, 1.0);  // exponent 0 at the critical point
}

// The temperature terms are kept per temperature: what is kept must be what
// forming the terms gives, at temperatures met before and after others and
// after the constant nu of the state has changed.
TEST(Helmholtz, KeptTemperatureTermsAreTheFormedOnes)
{
    const double temperatures[] = {273.16, 298.15, 298.65, 647.096, 700.0, 298.15, 273.16, 1273.0};
    for (const double nu : {4.0, 3.5, 4.0}) {
        for (int round = 0; round < 3; ++round) {
            for (const double TK : temperatures) {
                CalcState s = at(TK, 1.0);
                s.nu = nu;
                HelmholtzTemperatureTerms formed;
                Helmholtz_Temperature_Terms(s, formed);
                const HelmholtzTemperatureTerms& kept = Kept_Temperature_Terms(s);
                EXPECT_EQ(std::memcmp(&kept, &formed, sizeof formed), 0)
                    << "TK = " << TK << ", nu = " << nu << ", round " << round;
            }
        }
    }
}

}  // namespace
}  // namespace aqvis
