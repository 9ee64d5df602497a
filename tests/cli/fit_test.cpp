// `aqvis-cli fit`, `list --csv` and `--catalogue`: the fit the library does,
// written whole as JSON or text; bad data, options and catalogue files
// refused with their line; a saved record that reads back and computes as
// the fitted parameters; an added solute computing as the built-in one.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "cli_support.h"
#include "fit/fit.h"
#include "solute/catalogue_file.h"
#include "io/csv_text.h"
#include "io/text_file.h"

namespace aqvis::clitest {
namespace {

// lnkH of N2 on the saturation curve and V2 at 500 bar, made up from other
// parameters, with the sigmas given.
const std::string kData = "temp,press,property,value,sigma\n"
                          "# made up\n"
                          "25,0,lnkH,11.37,0.02\n100,0,lnkH,11.64,0.02\n200,0,lnkH,11.05,0.03\n"
                          "300,0,lnkH,9.7,0.05\n25,500,V2,33.9,0.3\n100,500,V2,35.0,0.3\n";

void write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

bool same_bits(double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; }

TEST(Fit, JsonHoldsTheLibrarysFitWhole)
{
    test::TempDir dir;
    write(dir / "d.csv", kData);
    const Outcome o = run({"fit", "N2", dir / "d.csv", "--json"});
    ASSERT_EQ(o.rc, 0) << o.err;
    ASSERT_EQ(lines(o.out).size(), 1u);
    const Json j = Parse_Json(o.out);

    const FitData data = Read_Fit_Data_Text(kData);
    const FitResult r = Fit_Solute(CatalogueEntry(*Find_Solute("N2")), data.points, {{}, true});
    for (int k = 0; k < 3; ++k) {
        const char* p = kFitParameterNames[k];
        EXPECT_TRUE(same_bits(j[p].get<double>(), r.value[k])) << p;
        EXPECT_TRUE(same_bits(j["stderr"][p].get<double>(), r.standard_error[k])) << p;
        for (int l = 0; l < 3; ++l) EXPECT_TRUE(same_bits(j["covariance"][k][l].get<double>(), r.covariance[k][l]));
    }
    EXPECT_EQ(j["covariance_from"], "sigma");
    EXPECT_TRUE(same_bits(j["chi2"].get<double>(), r.chi2));
    EXPECT_EQ(j["dof"], 3);
    EXPECT_EQ(j["n"], 6);
    EXPECT_TRUE(same_bits(j["rms"]["V2"].get<double>(), r.rms[1].rms));
    ASSERT_EQ(j["rows"].size(), 6u);
    EXPECT_EQ(j["rows"][4]["line"], 7);
    EXPECT_EQ(j["rows"][4]["property"], "V2");
    EXPECT_TRUE(same_bits(j["rows"][4]["residual"].get<double>(), r.rows[4].residual));

    const Outcome text = run({"fit", "N2", "-", "--fix", "xi=0.05"}, kData);
    EXPECT_EQ(text.rc, 0) << text.err;
    EXPECT_NE(text.out.find("xi                     0.05          fixed"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\n  V2              2 "), std::string::npos) << text.out;
}

TEST(Fit, PointsLeftOutAreListedAndTheFitGoesOn)
{
    const Outcome o = run({"fit", "N2", "-", "--json"}, kData + "400,0,lnkH,9,0.1\n-300,1,V2,30,1\n");
    EXPECT_EQ(o.rc, 1);
    EXPECT_NE(o.err.find("2 of 8 points could not be computed and were left out (line 9, 10)"), std::string::npos)
        << o.err;
    const Json j = Parse_Json(o.out);
    EXPECT_EQ(j["n"], 6);
    EXPECT_EQ(j["failed"], 2);
    EXPECT_EQ(j["rows"][6]["used"], false);
    EXPECT_FALSE(j["rows"][6]["error"].get<std::string>().empty());
}

TEST(Fit, BadInputIsRefusedWithItsReason)
{
    test::TempDir dir;
    write(dir / "bad.csv", "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\nXe,1,2,3\n");
    const struct {
        std::vector<std::string> args;
        std::string input;
        int rc;
        const char* err;
    } cases[] = {
        {{"fit", "N2", "-"}, "temp,press,property,value\n25,1,lnkh,11\n", 2, "line 2: unknown property \"lnkh\""},
        {{"fit", "N2", "-"}, "temp,press,property,value,sigma\n25,1,lnkH,11,0\n", 2, "line 2: sigma must be positive"},
        {{"fit", "N2", dir / "none.csv"}, "", 2, "cannot read"},
        {{"fit", "N2", "-", "--fix", "xi=1", "--fix", "xi=2"}, kData, 2, "--fix xi given twice"},
        {{"fit", "N2", "-", "--fix", "c=1"}, kData, 2, "--fix c=1: give xi=V, a=V or b=V"},
        {{"fit", "N2", "-", "--fix", "a=x"}, kData, 2, "--fix a=x: the value is not a number"},
        {{"fit", "Xe", "-"}, kData, 2, "unknown solute \"Xe\""},
        {{"fit", "N2", "-", "--plot", "a.png", "--plot", "b.png"}, kData, 2, "--plot"},
        {{"fit", "N2", "-"}, "temp,press,property,value\n25,0,lnkH,11\n25,0,lnkH,11.1\n25,0,lnkH,11.2\n", 1,
         "cannot fit N2: singular design"},
        {{"fit", "N2", "-", "--catalogue", dir / "bad.csv"}, kData, 2, "bad.csv line 2: 4 fields where 9 are expected"},
        {{"calc", "N2", "25", "1", "--catalogue", dir / "bad.csv"}, "", 2, "bad.csv line 2:"},
    };
    for (const auto& c : cases) {
        const Outcome o = run(c.args, c.input);
        EXPECT_EQ(o.rc, c.rc) << c.err << "\n" << o.err;
        EXPECT_NE(o.err.find(c.err), std::string::npos) << o.err;
        if (c.rc == 2) {
            EXPECT_EQ(o.out, "");
        }
    }
}

// A solute about to be fitted: its catalogue line leaves xi, a and b empty.
// Nothing is computed with a missing parameter (no NaN shown as a result);
// the fit has no start values, and --save fills the line in.
TEST(Fit, ASoluteWithoutParametersIsRefusedUntilFittedAndSaved)
{
    test::TempDir dir;
    const std::string cat = dir / "mine.csv";
    write(cat, "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\nXe,,,,0,40.5,4.968,0,0\n");
    const struct {
        std::vector<std::string> args;
        std::string input;
        int rc;
        const char* message;  // on standard error, or standard output for batch --json
    } refused[] = {
        {{"calc", "Xe", "25", "1"}, "", 1, "Xe has no value of xi, a and b (left empty in the catalogue"},
        {{"calc", "Xe", "25", "1", "--xi", "0.1"}, "", 1, "Xe has no value of a and b"},
        {{"grid", "Xe", "--temp", "25", "--press", "1"}, "", 2, "Xe has no value of xi, a and b"},
        {{"batch", "-", "--json"}, "Xe,25,1\n", 1, "\"kind\":\"type_mismatch\""},
    };
    for (const auto& c : refused) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--catalogue", cat});
        const Outcome o = run(args, c.input);
        EXPECT_EQ(o.rc, c.rc) << c.message << "\n" << o.err;
        EXPECT_NE((o.err + o.out).find(c.message), std::string::npos) << o.err << o.out;
        EXPECT_EQ(o.out.find("nan"), std::string::npos) << o.out;
    }
    EXPECT_EQ(run({"calc", "Xe", "25", "1", "--xi", "0.1", "--a", "-9", "--b", "12", "--catalogue", cat}).rc, 0);
    const Outcome listed = run({"list", "--csv", "--catalogue", cat});
    EXPECT_NE(listed.out.find("\nXe,,,,0,40.5,4.968,0,0\n"), std::string::npos) << listed.out;

    const Outcome fit = run({"fit", "Xe", "-", "--json", "--save", cat, "--catalogue", cat}, kData);
    ASSERT_EQ(fit.rc, 0) << fit.err;
    const Json j = Parse_Json(fit.out);
    EXPECT_TRUE(j["start"]["xi"].is_null() && j["start"]["a"].is_null() && j["start"]["b"].is_null()) << fit.out;
    EXPECT_TRUE(j["rms_start"].empty()) << fit.out;
    EXPECT_EQ(run({"fit", "Xe", "-", "--catalogue", cat}, kData).out.find("nan"), std::string::npos);
    const Outcome after = run({"calc", "Xe", "25", "1", "--json", "--catalogue", cat});
    EXPECT_EQ(after.rc, 0) << after.err;
}

// A data file with a solute column and the rows of several solutes, such as
// the guideline values shipped in docs/validation: the fit takes the rows of
// its solute, as if they were alone in the file, and says what it left out.
TEST(Fit, ASoluteColumnSelectsTheSolutesRows)
{
    const std::string shared = std::string(AQVIS_SOURCE_DIR) + "/docs/validation/henry_guideline.csv";
    std::string alone = "temp,press,property,value\n";
    for (const std::string& line : lines(Read_Text_File(shared)))
        if (line.starts_with("N2,")) alone += line.substr(3) + "\n";
    const Outcome selected = run({"fit", "N2", shared, "--json"});
    const Outcome by_itself = run({"fit", "N2", "-", "--json"}, alone);
    ASSERT_EQ(selected.rc, 0) << selected.err;
    // The same fit; only the rows' line numbers differ.
    const std::regex line_number("\"line\":[0-9]+,");
    EXPECT_EQ(std::regex_replace(selected.out, line_number, ""), std::regex_replace(by_itself.out, line_number, ""));
    EXPECT_NE(selected.err.find("568 rows of other solutes (H2, O2, CO2, Ar, Ne, CH4, H2S, C2H6) left out"),
              std::string::npos) << selected.err;

    const std::string gas = "gas,temp,press,property,value,source\nCO2,25,0,lnkH,7.4,a\nN2,25,0,lnkH,11.37,b\n"
                            "N2,100,0,lnkH,11.64,b\nN2,200,0,lnkH,11.05,b\nN2,300,0,lnkH,9.7,b\n";
    const Outcome chosen = run({"fit", "N2", "-", "--solute-column", "gas", "--json"}, gas);
    EXPECT_EQ(chosen.rc, 0) << chosen.err;
    EXPECT_EQ(Parse_Json(chosen.out)["n"], 4);
    EXPECT_NE(chosen.err.find("columns not read: 'source'"), std::string::npos) << chosen.err;
    const Outcome missing = run({"fit", "N2", "-", "--solute-column", "solute"}, gas);
    EXPECT_EQ(missing.rc, 2);
    EXPECT_NE(missing.err.find("no solute column 'solute'"), std::string::npos) << missing.err;
}

TEST(Fit, SaveWritesARecordThatComputesAsTheFittedParameters)
{
    test::TempDir dir;
    const std::string cat = dir / "mine.csv";
    write(cat, "# my solutes\nFormula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\nN2,0,0,0,0,45.796,6.83,0.9,0.12\n"
               "Xe,0.1,-9,12,0,40.5,4.968,0,0\n");
    const Outcome o = run({"fit", "N2", "-", "--json", "--save", cat}, kData);
    ASSERT_EQ(o.rc, 0) << o.err;
    const Json j = Parse_Json(o.out);
    const std::string saved = Read_Text_File(cat);
    EXPECT_TRUE(saved.starts_with("# my solutes\nFormula,"));
    EXPECT_TRUE(saved.ends_with("\nXe,0.1,-9,12,0,40.5,4.968,0,0,,,,,,\n")) << "the other records get empty covariance fields";
    const std::vector<CatalogueEntry> back = Read_Catalogue_Text(saved);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_TRUE(same_bits(back[0].Xi, j["xi"].get<double>()));
    EXPECT_TRUE(same_bits(back[0].Coef1, j["a"].get<double>()));
    EXPECT_TRUE(same_bits(back[0].Coef2, j["b"].get<double>()));

    // With the saved catalogue, N2 computes as the fitted parameters given on the command line.
    const std::string xi = Csv_Number(back[0].Xi), a = Csv_Number(back[0].Coef1), b = Csv_Number(back[0].Coef2);
    const Outcome saved_run = run({"calc", "N2", "150", "0", "--json", "--catalogue", cat});
    const Outcome given = run({"calc", "N2", "150", "0", "--json", "--xi", xi, "--a", a, "--b", b});
    EXPECT_EQ(saved_run.out, given.out);
    EXPECT_EQ(saved_run.rc, 0);

    // The fit's covariance comes with the record, bit for bit, under a note
    // that says where it came from; saved again without sigmas, from the
    // scatter, with a parameter held: its row is zero, the note replaced.
    ASSERT_TRUE(back[0].covariance);
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k)
            EXPECT_TRUE(same_bits(back[0].covariance->m[i][k], j["covariance"][i][k].get<double>())) << i << k;
    EXPECT_NE(saved.find("\n# N2: xi, a and b fitted to 6 points by aqvis-cli fit; covariance from the sigmas of the "
                         "data (chi2/dof = "),
              std::string::npos) << saved;
    std::string unweighted;
    for (const std::string_view line : {"temp,press,property,value\n", "25,0,lnkH,11.37\n", "100,0,lnkH,11.64\n",
                                        "200,0,lnkH,11.05\n", "300,0,lnkH,9.7\n"})
        unweighted += line;
    ASSERT_EQ(run({"fit", "N2", "-", "--fix", "xi=0.05", "--save", cat}, unweighted).rc, 0);
    const std::string again = Read_Text_File(cat);
    EXPECT_EQ(again.find("from the sigmas"), std::string::npos) << again;
    EXPECT_NE(again.find("\n# N2: xi, a and b fitted to 4 points by aqvis-cli fit, xi held; covariance from the "
                         "scatter (no sigmas: scaled by chi2/dof = "),
              std::string::npos) << again;
    const CatalogueEntry held = Read_Catalogue_Text(again)[0];
    ASSERT_TRUE(held.covariance);
    EXPECT_EQ(held.covariance->m[0], (std::array<double, 3>{0, 0, 0}));
    EXPECT_GT(held.covariance->m[1][1], 0.0);
}

// The catalogue shipped with the program is found by its name from any
// working folder, as the file of that name is read; a file of that name in
// the working folder comes first.
TEST(Catalogue, AShippedCatalogueIsFoundByName)
{
    test::TempDir dir;
    const std::string shipped = Read_Text_File(AQVIS_SOURCE_DIR "/data/guideline_refit.csv");
    write(dir / "copy.csv", shipped);
    const Outcome by_name = run({"calc", "Ne", "150", "0", "--json", "--catalogue", "guideline_refit"}, "", {.cwd = dir.path()});
    const Outcome by_path = run({"calc", "Ne", "150", "0", "--json", "--catalogue", dir / "copy.csv"});
    ASSERT_EQ(by_name.rc, 0) << by_name.err;
    EXPECT_EQ(by_name.out, by_path.out);
    EXPECT_EQ(Parse_Json(by_name.out)["Xi"].get<double>(), Read_Catalogue_Text(shipped)[5].Xi);

    write(dir / "guideline_refit", std::string(kCatalogueTitle) + "\nNe,0,0,0,0,0,0,0,0\n");
    const Outcome local = run({"calc", "Ne", "150", "0", "--json", "--catalogue", "guideline_refit"}, "", {.cwd = dir.path()});
    EXPECT_EQ(Parse_Json(local.out)["Xi"].get<double>(), 0.0);
    const Outcome missing = run({"list", "--catalogue", "guideline_refi"});
    EXPECT_EQ(missing.rc, 2);
    EXPECT_NE(missing.err.find("guideline_refi"), std::string::npos) << missing.err;
}

TEST(Catalogue, ListCsvReadsBackAndAnAddedSoluteComputesAsTheBuiltInOne)
{
    const Outcome list = run({"list", "--csv"});
    ASSERT_EQ(list.rc, 0);
    const std::vector<CatalogueEntry> back = Read_Catalogue_Text(list.out);
    ASSERT_EQ(back.size(), Solute_Catalogue.size());
    for (std::size_t i = 0; i < back.size(); ++i) {
        const CatalogueEntry want(Solute_Catalogue[i]);
        EXPECT_EQ(back[i].Formula, want.Formula);
        EXPECT_TRUE(same_bits(back[i].Coef2, want.Coef2) && same_bits(back[i].cgasEmin5, want.cgasEmin5))
            << want.Formula;
    }

    test::TempDir dir;
    std::string renamed = list.out;
    renamed.replace(renamed.find("\nCO2,"), 5, "\nMyCO2,");
    write(dir / "c.csv", renamed);
    // The same runs for CO2 and for MyCO2 from the file give the same output but for the name.
    const auto mine = [](std::string s) {
        for (std::size_t p = 0; (p = s.find("CO2", p)) != std::string::npos; p += 5) s.replace(p, 3, "MyCO2");
        return s;
    };
    const std::vector<std::pair<std::vector<std::string>, std::string>> runs = {
        {{"calc", "CO2", "150", "0", "--json"}, ""},
        {{"batch", "-", "--json"}, "CO2,25,1\nCO2,300,500,-0.1,-9,11\n"},
        {{"grid", "CO2", "--temp", "0:600:50", "--press", "1,1000", "--columns", "all"}, ""},
    };
    for (const auto& [args, input] : runs) {
        std::vector<std::string> my_args;
        for (const std::string& a : args) my_args.push_back(mine(a));
        my_args.insert(my_args.end(), {"--catalogue", dir / "c.csv"});
        const Outcome built_in = run(args, input), added = run(my_args, mine(input));
        EXPECT_EQ(built_in.rc, 0) << built_in.err;
        EXPECT_EQ(added.rc, 0) << added.err;
        EXPECT_EQ(mine(built_in.out), added.out) << args[0];
    }
    const std::string my_co2 = renamed.substr(renamed.find("MyCO2,"));
    EXPECT_EQ(run({"list", "--csv", "--catalogue", dir / "c.csv"}).out,
              list.out + my_co2.substr(0, my_co2.find('\n') + 1));
}

TEST(Fit, PlotIsWritten)
{
    test::TempDir dir;
    const Outcome o = run({"fit", "N2", "-", "--plot", dir / "fit.png"}, kData);
    EXPECT_EQ(o.rc, 0) << o.err;
    const std::string png = Read_Text_File(dir / "fit.png");
    EXPECT_TRUE(png.starts_with("\x89PNG\r\n"));
}

}  // namespace
}  // namespace aqvis::clitest
