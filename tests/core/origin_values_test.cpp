#include <gtest/gtest.h>

#include <cstring>

#include "core/origin_values.h"

namespace aqvis {
namespace {

int nonzero(const double* p, int n)
{
    int k = 0;
    for (int i = 0; i < n; ++i) k += p[i] != 0.0;
    return k;
}

TEST(OriginValues, ConstantsAreZeroUntilSet)
{
    CalcState s;
    EXPECT_EQ(s.Tcr, 0.0);
    EXPECT_EQ(s.RGasJbar, 0.0);
    EXPECT_TRUE(s.Formula.empty());
    Origin_Values(s);
    EXPECT_EQ(s.Tcr, 647.067);
    EXPECT_EQ(s.dcr, 0.322778);
    EXPECT_EQ(s.Pcr, 220.46);
    EXPECT_EQ(s.TK0, 273.15);
    EXPECT_EQ(s.RGasH2O, 4.61521937);  // stored literally, not RGasJbar / MH2O
    EXPECT_NE(s.RGasH2O, s.RGasJbar / s.MH2O);
    EXPECT_EQ(s.C001, 0.0);  // the critical-region amplitude stays zero
    EXPECT_EQ(s.C002, 0.0);
}

TEST(OriginValues, TablesHoldExactlyTheListedEntries)
{
    CalcState s;
    Origin_Values(s);
    EXPECT_EQ(nonzero(&s.w1Coef()[0][0], 8 * 8), 18);
    EXPECT_EQ(nonzero(&s.w2Coef()[0][0], 8 * 13), 25);
    EXPECT_EQ(nonzero(&s.w3Coef()[0][0], 6 * 6), 12);
    EXPECT_EQ(nonzero(&s.w4Coef()[0][0], 6 * 11), 9);
    EXPECT_EQ(nonzero(s.a0Coef(), 9), 8);
    EXPECT_EQ(s.a0Coef()[0], 0.0);
    EXPECT_EQ(s.psatCoef()[0], 0.0);
    EXPECT_EQ(s.w2Coef()[1][12], 0.0005364384732);
    EXPECT_EQ(s.w4Coef()[5][10], 0.0003326628664);
    EXPECT_EQ(s.w4Coef()[4][5], 0.0);
    EXPECT_EQ(s.dsatCoef()[6], -675615.0);
    EXPECT_EQ(s.psatCoef()[4], 22.6705);
}

TEST(OriginValues, SecondCallChangesNothing)
{
    CalcState a, b;
    Origin_Values(a);
    Origin_Values(b);
    Origin_Values(b);
    EXPECT_EQ(std::memcmp(&a.w1Coef(), &b.w1Coef(), sizeof(double) * 64), 0);
    EXPECT_EQ(std::memcmp(&a.w2Coef(), &b.w2Coef(), sizeof(double) * 104), 0);
    EXPECT_EQ(std::memcmp(&a.w4Coef(), &b.w4Coef(), sizeof(double) * 66), 0);
    EXPECT_EQ(a.nu, b.nu);
    EXPECT_EQ(a.G0H2Ogas, b.G0H2Ogas);
}

}  // namespace
}  // namespace aqvis
