// Units at the edges, the model's range and the errors that explain
// themselves, as `aqvis-cli` shows them; water alone.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cli_support.h"
#include "results/members.h"

namespace aqvis::clitest {
namespace {

Json json_of(std::vector<std::string> args, int rc = 0)
{
    args.push_back("--json");
    const Outcome o = run(args);
    EXPECT_EQ(o.rc, rc) << o.err;
    return Parse_Json(lines(o.out).at(0));
}

// The same state typed in other units gives the numbers of the degC/bar call
// within 1e-12; joules are the calorie values times 4.184 exactly, for every
// energy, entropy and heat capacity and nothing else, and the report's joule
// captions are the same numbers.
TEST(Units, OtherUnitsGiveTheSameState)
{
    const Json base = json_of({"calc", "N2", "25", "1"});
    const std::vector<std::vector<std::string>> same = {
        {"calc", "N2", "298.15", "1", "--temp-unit", "K"},
        {"calc", "N2", "25", "0.1", "--press-unit", "MPa"},
        {"calc", "N2", "25", "100", "--press-unit", "kPa"},
        {"calc", "N2", "298.15", "100000", "--temp-unit", "K", "--press-unit", "Pa"},
    };
    for (const auto& args : same) {
        const Json j = json_of(args);
        for (const Member& m : Output_Members()) {
            const double want = base.at(m.name).get<double>(), got = j.at(m.name).get<double>();
            EXPECT_LE(std::abs(got - want), 1e-12 * std::abs(want)) << args[4] << " " << m.name;
        }
        EXPECT_FALSE(j.contains("warning")) << j.dump();
    }
    const Json joule = json_of({"calc", "N2", "25", "1", "--energy-unit", "J"});
    int energies = 0;
    for (const Member& m : Output_Members()) {
        const bool energy = std::string(m.unit).starts_with("cal");
        energies += energy;
        const double cal = base.at(m.name).get<double>();
        EXPECT_EQ(joule.at(m.name).get<double>(), energy ? cal * 4.184 : cal) << m.name;
    }
    EXPECT_EQ(energies, 14);  // water G H S Cp, both ideal gases G S Cp, the solute G S Cp H
    EXPECT_EQ(joule.at("captions"), base.at("captions"));
    const Outcome csv = run({"grid", "N2", "--temp", "25", "--press", "1", "--energy-unit", "J"});
    EXPECT_NE(csv.out.find("GTaqua [J/mol],S2 [J/(mol K)]"), std::string::npos) << csv.out;
}

// Units not in the list, a unit given twice and a negative kelvin value are
// usage errors that say what is allowed; below absolute zero in degC or at
// 0 K the case fails with its kind and the sentence that says why.
TEST(Units, BadUnitsAreUsageErrorsAndAbsoluteZeroFails)
{
    const struct {
        std::vector<std::string> args;
        int rc;
        const char* says;
    } cases[] = {
        {{"calc", "N2", "25", "1", "--temp-unit", "F"}, 2, "C|K"},
        {{"calc", "N2", "25", "1", "--press-unit", "psi"}, 2, "bar|MPa|kPa|Pa"},
        {{"water", "25", "1", "--energy-unit", "kcal"}, 2, "cal|J"},
        {{"calc", "N2", "25", "1", "--temp-unit", "K", "--temp-unit", "K"}, 2, "given 2 times"},
        {{"calc", "N2", "-5", "1", "--temp-unit", "K"}, 2, "below absolute zero"},
        {{"grid", "N2", "--temp", "-5,300", "--press", "1", "--temp-unit", "K"}, 2, "below absolute zero"},
        {{"water", "-1", "1", "--temp-unit", "K"}, 2, "below absolute zero"},
        {{"solubility", "CO2", "--temp", "300", "--press", "1", "--press-unit", "atm"}, 2, "bar|MPa"},
        {{"calc", "N2", "-300", "1"}, 1, "must lie above \u2212273.15"},
        {{"calc", "N2", "0", "1", "--temp-unit", "K"}, 1, "must lie above \u2212273.15"},
    };
    for (const auto& c : cases) {
        const Outcome o = run(c.args);
        EXPECT_EQ(o.rc, c.rc) << c.args[3] << o.err;
        EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
        if (c.rc == 2) EXPECT_EQ(o.out, "");
    }
}

// A state outside the range is computed and flagged in every output, with a
// hint where the number looks like another unit; inside, nothing is added.
TEST(Range, OutsideIsComputedAndFlaggedEverywhere)
{
    EXPECT_FALSE(json_of({"calc", "N2", "25", "1"}).contains("warning"));
    const Json hot = json_of({"calc", "N2", "600", "100"});
    EXPECT_NE(hot.at("warning").get<std::string>().find("0 to 500"), std::string::npos);
    EXPECT_TRUE(hot.contains("lnkH"));
    const Outcome kelvin = run({"calc", "N2", "298.15", "1"});
    EXPECT_EQ(kelvin.rc, 0);
    EXPECT_NE(kelvin.err.find("kelvin"), std::string::npos) << kelvin.err;
    EXPECT_NE(kelvin.err.find("saturation pressure 83."), std::string::npos) << kelvin.err;
    const Outcome pa = run({"calc", "N2", "25", "101325"});
    EXPECT_NE(pa.err.find("use --press-unit Pa"), std::string::npos) << pa.err;

    const Outcome csv = run({"grid", "N2", "--temp", "25,600", "--press", "1"});
    const std::vector<std::string> rows = lines(csv.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].ends_with(",warning,error"));
    EXPECT_TRUE(rows[1].ends_with(",,")) << rows[1];
    EXPECT_NE(rows[2].find("600 \u00B0C is above"), std::string::npos) << rows[2];
    const Outcome table = run({"grid", "N2", "--temp", "600", "--press", "1", "--table"});
    EXPECT_TRUE(lines(table.out).back().starts_with("  warning: 600")) << table.out;

    // A fit warns for its data points outside the range, and fits them.
    const Outcome fit = run({"fit", "N2", "-", "--json"},
                            "temp,press,property,value\n25,0,lnkH,11.3\n100,0,lnkH,11.6\n"
                            "200,0,lnkH,10.9\n600,100,lnkH,5\n");
    EXPECT_EQ(fit.rc, 0) << fit.err;
    EXPECT_NE(fit.err.find("warning: line 5: 600"), std::string::npos) << fit.err;
    EXPECT_EQ(Parse_Json(fit.out).at("rows").at(3).at("used"), true);
}

// Every error kind a case can have on the command line comes with the
// sentence that explains it, in JSON as on standard error.
TEST(Errors, EveryKindExplainsItself)
{
    const struct {
        std::vector<std::string> args;
        const char* kind;
        const char* says;
    } cases[] = {
        {{"calc", "N2", "400", "0"}, "division_by_zero", "does not exist above the critical temperature of water, 373.917"},
        {{"calc", "N2", "-300", "1"}, "invalid_operation", "must lie above"},
        {{"calc", "N2", "x", "1"}, "type_mismatch", "'.' as the decimal separator"},
        {{"calc", "N3", "25", "1"}, "unknown_solute", "'aqvis-cli list'"},
        {{"calc", "N2", "25", "1", "--xi", "1e308"}, "overflow", "too large for a double"},
    };
    for (const auto& c : cases) {
        const Json j = json_of(c.args, 1);
        EXPECT_EQ(j.at("kind"), c.kind);
        EXPECT_NE(j.at("error").get<std::string>().find(c.says), std::string::npos) << j.dump();
        EXPECT_NE(run(c.args).err.find(c.says), std::string::npos);
    }
}

// Water alone: the numbers of the case with a solute to the last bit, the
// same in `water` and in `grid water` rows, and near IAPWS-95 at 25 degC
// and 1 bar (997.047 kg/m3, alpha_V 2.573e-4 1/K).
TEST(Water, AloneIsTheCaseWithoutTheSolute)
{
    const Json w = json_of({"water", "25", "1"});
    const Json c = json_of({"calc", "N2", "25", "1"});
    for (const char* name : {"TK", "Pbar", "Psat", "dH2O", "VH2O", "lnfH2O", "GH2O", "HH2O", "SH2O", "CpH2O"})
        EXPECT_EQ(w.at(name).get<double>(), c.at(name).get<double>()) << name;
    EXPECT_EQ(w.at("alphaV").get<double>(), -c.at("ddH2OdTK").get<double>() / c.at("dH2O").get<double>());
    EXPECT_NEAR(w.at("dH2O").get<double>(), 0.997047, 0.003 * 0.997047);
    EXPECT_NEAR(w.at("alphaV").get<double>(), 2.573e-4, 0.01 * 2.573e-4);
    const Outcome grid = run({"grid", "water", "--temp", "25", "--press", "1"});
    const std::vector<std::string> rows = lines(grid.out);
    ASSERT_EQ(rows.size(), 2u) << grid.out << grid.err;
    EXPECT_TRUE(rows[0].starts_with("TC [degC],TK [K],Pbar [bar],Psat [bar],dH2O [g/cm3]")) << rows[0];
    std::vector<double> row;
    for (std::size_t at = 0; at <= rows[1].size();) {
        const std::size_t comma = std::min(rows[1].find(',', at), rows[1].size());
        if (comma > at) row.push_back(std::stod(rows[1].substr(at, comma - at)));
        at = comma + 1;
    }
    std::size_t k = 0;
    for (const Member& m : Water_Members()) EXPECT_EQ(row.at(k++), w.at(m.name).get<double>()) << m.name;
    EXPECT_TRUE(json_of({"water", "400", "100"}).at("Psat").is_null());
}

}  // namespace
}  // namespace aqvis::clitest
