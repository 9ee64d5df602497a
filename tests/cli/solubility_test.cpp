// `aqvis-cli solubility`: every point a row in a fixed order whatever the
// threads, failed points rows of their own, and the errors a user can make.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli_support.h"

namespace aqvis::clitest {
namespace {

TEST(Solubility, FailedPointsAreRowsOfTheirOwnAndTheOthersGoOn)
{
    const Outcome one = run({"solubility", "N2,CO2", "--temp", "25,150,380", "--press", "0,3,100", "--threads", "1"});
    const Outcome two = run({"solubility", "N2,CO2", "--temp", "25,150,380", "--press", "0,3,100", "--threads", "2"});
    EXPECT_EQ(one.rc, 1);
    EXPECT_EQ(one.out, two.out);
    const std::vector<std::string> rows = lines(one.out);
    ASSERT_EQ(rows.size(), 1u + 2 * 3 * 3);
    EXPECT_EQ(rows[0], "Formula,TC [degC],Pbar [bar],x [1],molality [mol/kg],y_water [1],phi_gas [1],"
                       "phi_water [1],Z_gas [1],V_gas [cm3/mol],lnkH [ln bar],warning,error");
    // By solute, then pressure, then temperature.
    EXPECT_EQ(rows[1], "N2,25,0,,,,,,,,,,liquid_boils");
    // Computed, inside the checked range: no warning, no error.
    EXPECT_TRUE(rows[4].starts_with("N2,25,3,3.") && rows[4].ends_with(",,")) << rows[4];
    EXPECT_EQ(rows[5], "N2,150,3,,,,,,,,,,liquid_boils");
    EXPECT_EQ(rows[6], "N2,380,3,,,,,,,,,,no_two_phase");
    EXPECT_TRUE(rows[7].starts_with("N2,25,100,0.00") && rows[7].ends_with(",,")) << rows[7];
}

TEST(Solubility, BubblePressureRowsCarryTheMolalityAsked)
{
    const Outcome o = run({"solubility", "CO2", "--temp", "25,100", "--molality", "0.5,0", "--json"});
    EXPECT_EQ(o.rc, 1);
    const std::vector<std::string> rows = lines(o.out);
    ASSERT_EQ(rows.size(), 4u);
    const Json ok = Parse_Json(rows[1]);
    EXPECT_NEAR(ok.at("molality").get<double>(), 0.5, 0.5e-9);
    EXPECT_GT(ok.at("Pbar").get<double>(), 10.0);
    const Json failed = Parse_Json(rows[3]);
    EXPECT_EQ(failed.at("kind"), "no_two_phase");
    EXPECT_EQ(failed.at("molality"), 0.0);
    EXPECT_FALSE(failed.contains("Pbar"));
}

TEST(Solubility, MistakesAreUsageErrorsThatSayWhat)
{
    const std::string path = ::testing::TempDir() + "aqvis_solubility_catalogue.csv";
    std::ofstream(path) << "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5,Tc,Pc,omega,kij\n"
                           "Xe,0.073,-8.5139,11.921,0,40.53,4.968,0,0,,,,\n";
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"solubility", "N2", "--temp", "25"}, "give --press or --molality"},
        {{"solubility", "N2", "--temp", "25", "--press", "1", "--molality", "1"}, "excludes"},
        {{"solubility", "H3BO3", "--temp", "25", "--press", "1"}, "H3BO3 has no critical temperature"},
        {{"solubility", "Xe", "--temp", "25", "--press", "1", "--catalogue", path}, "Xe has no critical"},
        {{"solubility", "Kr", "--temp", "25", "--press", "1"}, "unknown solute \"Kr\""},
        {{"solubility", "N2", "--temp", "25", "--press", "1", "--kij", "x"}, "--kij: \"x\" is not a number"},
        {{"solubility", "N2", "--temp", "25", "--press", "1", "--plot", "a.pdf"}, "FILE.svg or FILE.png"},
    };
    for (const auto& c : cases) {
        const Outcome o = run(c.args);
        EXPECT_EQ(o.rc, 2) << c.says;
        EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
        EXPECT_EQ(o.out, "");
    }
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace aqvis::clitest
