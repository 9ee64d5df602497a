// The fast evaluation of the Helmholtz function against the plain loop-for-loop
// oracle, and the analytic derivatives against difference quotients.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "helmholtz_reference.h"
#include "water/constants.h"
#include "water/helmholtz.h"

namespace aqvis {
namespace {

double T_of(double TK) { return -water::Tcr / TK; }

TEST(Helmholtz, FastEvaluationMatchesThePlainSums)
{
    const double temps[] = {273.16, 298.15, 373.15, 500.0, 600.0, 647.067, 650.0, 673.15, 800.0, 1273.15};
    const double densities[] = {1e-7, 1.9e-5, 2e-5, 1e-3, 0.05, 0.3, 0.9, 1.0, 1.1, 2.0, 3.0, 3.1, 3.5, 4.2};
    for (double TK : temps) {
        for (double ro : densities) {
            const Helmholtz fast = Helmholtz_H2O(T_of(TK), ro);
            const test::HelmholtzReference ref = test::Helmholtz_H2O_Reference(T_of(TK), ro);
            const double tol = 1e-13 * ref.scale;
            SCOPED_TRACE(testing::Message() << "TK=" << TK << " ro=" << ro);
            EXPECT_NEAR(fast.A, ref.h.A, tol);
            EXPECT_NEAR(fast.Aro, ref.h.Aro, tol);
            EXPECT_NEAR(fast.Aroro, ref.h.Aroro, tol);
            EXPECT_NEAR(fast.AT, ref.h.AT, tol);
            EXPECT_NEAR(fast.ATT, ref.h.ATT, tol);
            EXPECT_NEAR(fast.AroT, ref.h.AroT, tol);
            // AroT alone, for solutions whose thermal values are not needed,
            // is the completion's bit for bit.
            HelmholtzTemperatureTerms t;
            HelmholtzDensityTerms d;
            Helmholtz_Temperature_Terms(T_of(TK), t);
            Helmholtz_Density_Part(t, ro, d);
            EXPECT_EQ(Helmholtz_AroT(t, d), fast.AroT);
        }
    }
}

TEST(Helmholtz, AnalyticDerivativesAgreeWithDifferenceQuotients)
{
    for (double TK : {298.15, 450.0, 640.0, 700.0, 1000.0}) {
        for (double ro : {0.01, 0.5, 1.0, 2.0, 3.1}) {
            const double T = T_of(TK), h = 1e-5 * ro, dT = 1e-6;
            const Helmholtz c = Helmholtz_H2O(T, ro);
            const Helmholtz rp = Helmholtz_H2O(T, ro + h), rm = Helmholtz_H2O(T, ro - h);
            const Helmholtz tp = Helmholtz_H2O(T + dT, ro), tm = Helmholtz_H2O(T - dT, ro);
            SCOPED_TRACE(testing::Message() << "TK=" << TK << " ro=" << ro);
            EXPECT_NEAR(c.Aro, (rp.A - rm.A) / (2 * h), 1e-6 * std::fmax(1.0, std::fabs(c.Aro)));
            EXPECT_NEAR(c.Aroro, (rp.Aro - rm.Aro) / (2 * h), 1e-6 * std::fmax(1.0, std::fabs(c.Aroro)));
            EXPECT_NEAR(c.AT, (tp.A - tm.A) / (2 * dT), 1e-6 * std::fmax(1.0, std::fabs(c.AT)));
            EXPECT_NEAR(c.ATT, (tp.AT - tm.AT) / (2 * dT), 1e-5 * std::fmax(1.0, std::fabs(c.ATT)));
            EXPECT_NEAR(c.AroT, (tp.Aro - tm.Aro) / (2 * dT), 1e-5 * std::fmax(1.0, std::fabs(c.AroT)));
        }
    }
}

// The two places where the evaluation switches form: 1 - exp(-ro^2) becomes
// ro^2 below 2e-5, and the Gaussian weight a tiny negative constant where its
// exponent is below -88 (it is exactly 1 at the critical point).
TEST(Helmholtz, SwitchedForms)
{
    struct Case {
        double TK, ro, U, G;
    };
    const Case cases[] = {
        {700.0, 1.5e-5, 1.5e-5 * 1.5e-5, NAN},
        {700.0, 2e-5, 1.0 - std::exp(-(2e-5 * 2e-5)), NAN},
        {298.15, 3.09, NAN, -1.01e-38},
        {water::Tcr, 1.0, NAN, 1.0},
    };
    for (const Case& c : cases) {
        HelmholtzTemperatureTerms t;
        HelmholtzDensityTerms d;
        Helmholtz_Temperature_Terms(T_of(c.TK), t);
        Helmholtz_Density_Part(t, c.ro, d);
        if (!std::isnan(c.U)) EXPECT_EQ(d.U, c.U) << c.ro;
        if (!std::isnan(c.G)) EXPECT_EQ(d.G, c.G) << c.TK;
    }
}

// The temperature terms are kept per temperature: what is kept must be what
// forming the terms gives, at temperatures met before and after others.
TEST(Helmholtz, KeptTemperatureTermsAreTheFormedOnes)
{
    const double temperatures[] = {273.16, 298.15, 298.65, 647.096, 700.0, 298.15, 273.16, 1273.0};
    for (int round = 0; round < 3; ++round) {
        for (const double TK : temperatures) {
            HelmholtzTemperatureTerms formed;
            Helmholtz_Temperature_Terms(T_of(TK), formed);
            const HelmholtzTemperatureTerms& kept = Kept_Temperature_Terms(T_of(TK));
            EXPECT_EQ(std::memcmp(&kept, &formed, sizeof formed), 0) << "TK = " << TK << ", round " << round;
        }
    }
}

}  // namespace
}  // namespace aqvis
