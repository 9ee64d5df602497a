// The gas phase: its fugacity coefficients against the thermodynamic
// integrals they stand for, computed here by quadrature from the equation of
// state's compressibility alone.

#include <gtest/gtest.h>

#include <cmath>

#include "gas/peng_robinson.h"
#include "solute/critical_constants.h"

namespace aqvis::gas {
namespace {

// ln phi of the mixture, the integral of (Z - 1)/P from 0 to P: Simpson's
// rule in ln P from 1e-6 bar, and below it Z - 1 taken as proportional to P.
double ln_phi_mixture(const PureTerms& s, const PureTerms& w, double kij, double y, double TK, double P)
{
    const auto f = [&](double p) { return Gas_Phase(s, w, kij, y, TK, p).Z - 1.0; };
    const double p0 = 1e-6;
    const int n = 4000;
    const double h = std::log(P / p0) / n;
    double sum = f(p0) + f(P);
    for (int k = 1; k < n; ++k) sum += (k % 2 ? 4.0 : 2.0) * f(p0 * std::exp(k * h));
    return f(p0) + sum * h / 3.0;
}

struct Point {
    const char* solute;
    double TC, Pbar, y_water, kij;
};

class FugacityCoefficients : public ::testing::TestWithParam<Point> {};

// For two components, with g = ln phi of the mixture as a function of the
// water fraction y: ln phi_water = g + (1 - y) g' and ln phi_solute = g - y g'.
TEST_P(FugacityCoefficients, AreThePartialsOfTheMixturesResidualGibbsEnergy)
{
    const Point p = GetParam();
    const double TK = p.TC + 273.15;
    const PureTerms s = Pure_Terms(*Built_In_Critical_Constants(p.solute), TK);
    const PureTerms w = Pure_Terms(Water_Critical_Constants(), TK);
    const double dy = 1e-5;
    const double g = ln_phi_mixture(s, w, p.kij, p.y_water, TK, p.Pbar);
    const double dg = (ln_phi_mixture(s, w, p.kij, p.y_water + dy, TK, p.Pbar) -
                       ln_phi_mixture(s, w, p.kij, p.y_water - dy, TK, p.Pbar)) / (2 * dy);
    const GasPhase ph = Gas_Phase(s, w, p.kij, p.y_water, TK, p.Pbar);
    EXPECT_NEAR(ph.lnphi_water, g + (1 - p.y_water) * dg, 2e-6);
    EXPECT_NEAR(ph.lnphi_solute, g - p.y_water * dg, 2e-6);
    EXPECT_NEAR(ph.V, ph.Z * kR * TK / p.Pbar, 1e-9 * ph.V);
}

INSTANTIATE_TEST_SUITE_P(Gases, FugacityCoefficients,
                         ::testing::Values(Point{"N2", 25, 1000, 0.001, 0.0},    // dense, nearly pure
                                           Point{"CO2", 100, 150, 0.03, 0.2},    // near the critical
                                           Point{"CH4", 250, 60, 0.7, -0.1},     // mostly water
                                           Point{"H2", 300, 90, 0.95, 0.0}));

// The gas root: the largest real root of the cubic, also where it has three
// (the values by another root finder in 30-digit arithmetic).
TEST(GasRoot, IsTheLargestRootOfTheCubic)
{
    struct Case {
        double A, B, largest;
    };
    for (const Case c : {Case{0.05, 0.01, 0.959479117544252256},   // one real root, a dilute gas
                         Case{0.08, 0.01, 0.926369399242997691},   // three real roots
                         Case{1.5, 0.3, 0.589517565811085825}}) {  // a dense fluid
        const double z = Gas_Root(c.A, c.B);
        EXPECT_NEAR(z, c.largest, 1e-13) << c.A << " " << c.B;
        const double residual = ((z - (1 - c.B)) * z + (c.A - 3 * c.B * c.B - 2 * c.B)) * z -
                                (c.A * c.B - c.B * c.B - c.B * c.B * c.B);
        EXPECT_NEAR(residual, 0.0, 1e-15);
    }
}

}  // namespace
}  // namespace aqvis::gas
