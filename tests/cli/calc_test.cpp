// `aqvis-cli calc`: one case, as JSON or as a readable table.

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli_support.h"
#include "solute/catalogue.h"

namespace aqvis::clitest {
namespace {

const std::vector<std::string> kResultKeys = {
    "Formula",  "Xi",       "Coef1",      "Coef2",      "TC",          "TK",       "Pbar",
    "Psat",     "dH2O",     "VH2O",       "ddH2OdTK",   "ddH2OdPbar",  "d2dH2OdTK2", "CpH2O",
    "HH2O",     "SH2O",     "GH2O",       "GTH2Ogas",   "STH2Ogas",    "CpH2Ogas", "GTgas",
    "STgas",    "Cpgas",    "lnfH2O",     "dB12",       "dB12d",       "TdB12d",   "dTdB12ddP",
    "dTdB12ddT", "d2TdB12ddT2", "lnkH",   "GTaqua",     "S2",          "V2",       "Cp2",
    "HTaqua",   "K",        "captions"};

const std::vector<std::string> kCaptionKeys = {
    "lbllnfH2O", "lbldH2O", "lblVH2O", "lblCpH2O", "lblCompr", "lblExpan",
    "lblFormula", "lbllnkH", "lblK0",  "lblV",     "lblgcal",  "lblScal",
    "lblCpcal",  "lblgJ",   "lblSJ",   "lblCpJ",   "txtTemp",  "txtPress"};

const std::vector<std::string> kErrorKeys = {"Formula", "TC", "Pbar", "error", "kind"};

// The one JSON line of a calc run.
Json calc_json(std::vector<std::string> args, int expected_rc = 0)
{
    args.insert(args.begin(), "calc");
    args.push_back("--json");
    const Outcome o = run(args);
    EXPECT_EQ(o.rc, expected_rc) << o.out << o.err;
    const std::vector<std::string> l = lines(o.out);
    if (l.size() != 1 || o.out.back() != '\n') {
        ADD_FAILURE() << "expected one line, got: " << o.out;
        return {};
    }
    return Parse_Json(l[0]);
}

// Every member of a case, by the JSON key that names it.
double member(const CaseValues& s, const std::string& key)
{
    const std::vector<std::pair<std::string, double>> table = {
        {"Xi", s.Xi},             {"Coef1", s.Coef1},           {"Coef2", s.Coef2},
        {"TC", s.TC},             {"TK", s.TK},                 {"Pbar", s.Pbar},
        {"Psat", s.Psat},         {"dH2O", s.dH2O},             {"VH2O", s.VH2O},
        {"ddH2OdTK", s.ddH2OdTK}, {"ddH2OdPbar", s.ddH2OdPbar}, {"d2dH2OdTK2", s.d2dH2OdTK2},
        {"CpH2O", s.CpH2O},       {"HH2O", s.HH2O},             {"SH2O", s.SH2O},
        {"GH2O", s.GH2O},         {"GTH2Ogas", s.vapour.G},     {"STH2Ogas", s.vapour.S},
        {"CpH2Ogas", s.vapour.Cp}, {"GTgas", s.gas.G},          {"STgas", s.gas.S},
        {"Cpgas", s.gas.Cp},      {"lnfH2O", s.lnfH2O},         {"dB12", s.dB12},
        {"dB12d", s.dB12d},       {"TdB12d", s.TdB12d},         {"dTdB12ddP", s.dTdB12ddP},
        {"dTdB12ddT", s.dTdB12ddT}, {"d2TdB12ddT2", s.d2TdB12ddT2}, {"lnkH", s.lnkH},
        {"GTaqua", s.GTaqua},     {"S2", s.S2},                 {"V2", s.V2},
        {"Cp2", s.Cp2},
        {"HTaqua", s.GTaqua + s.TK * s.S2},  // the enthalpy as formed from GTaqua and S2
    };
    for (const auto& [k, v] : table)
        if (k == key) return v;
    throw std::runtime_error("no member " + key);
}

TEST(CalcJson, HasExactlyTheResultKeysInOrder)
{
    const Json j = calc_json({"N2", "25", "1"});
    EXPECT_EQ(Keys(j), kResultKeys);
    ASSERT_TRUE(j.contains("captions"));
    EXPECT_TRUE(j.at("captions").is_object());
    EXPECT_EQ(Keys(j.at("captions")), kCaptionKeys);
    for (const auto& item : j.at("captions").items()) EXPECT_TRUE(item.value().is_string()) << item.key();
    EXPECT_TRUE(j.at("Formula").is_string());
    for (std::size_t i = 1; i + 1 < kResultKeys.size(); ++i)
        EXPECT_TRUE(j.at(kResultKeys[i]).is_number()) << kResultKeys[i];
}

// Every number reads back as exactly the double the library computes for the
// same case, and is written with at most 17 significant digits.
TEST(CalcJson, NumbersRoundTripToTheLibraryResults)
{
    struct Case {
        std::string solute;
        double TC, Pbar;
    };
    for (const Case& c : {Case{"N2", 25.0, 1.0}, Case{"CO2", 150.0, 20.0}, Case{"H2", 25.0, 0.0},
                          Case{"C6H6", 350.0, 300.0}}) {
        SCOPED_TRACE(c.solute + " " + std::to_string(c.TC) + " " + std::to_string(c.Pbar));
        const Outcome o = run({"calc", c.solute, std::to_string(c.TC), std::to_string(c.Pbar), "--json"});
        ASSERT_EQ(o.rc, 0) << o.err;
        const Json j = Parse_Json(o.out);
        const CaseValues s = reference(c.solute, c.TC, c.Pbar);
        EXPECT_EQ(j.at("Formula").get<std::string>(), c.solute);
        const auto texts = test::Number_Texts(o.out);
        EXPECT_EQ(texts.size(), kResultKeys.size() - 2);  // every member but Formula and captions
        for (const auto& [k, text] : texts) {
            if (k == "K") continue;  // a derived value, not a member of the state
            EXPECT_EQ(j.at(k).get<double>(), member(s, k)) << k << " written as " << text;
            std::string mantissa;
            for (char ch : text.substr(0, text.find_first_of("eE")))
                if (ch >= '0' && ch <= '9') mantissa += ch;
            const std::size_t first = mantissa.find_first_not_of('0');
            const std::size_t significant = first == std::string::npos ? 0 : mantissa.size() - first;
            EXPECT_LE(significant, 17u) << k << " written as " << text;
        }
    }
}

TEST(CalcJson, KIsTheInverseHenryConstantInMolality)
{
    for (const char* solute : {"N2", "NH3", "C4H10"}) {
        const Json j = calc_json({solute, "40", "10"});
        const double lnkH = j.at("lnkH").get<double>();
        const double K = j.at("K").get<double>();
        EXPECT_NEAR(K * std::exp(lnkH) * 18.0152 / 1000.0, 1.0, 1e-13) << solute;
    }
    // About 6e-4 mol/(kg bar) for N2 at 25 C (Henry constant near 9e4 bar).
    const Json n2 = calc_json({"N2", "25", "1"});
    EXPECT_GT(n2.at("K").get<double>(), 5e-4);
    EXPECT_LT(n2.at("K").get<double>(), 8e-4);
}

TEST(CalcJson, StatePointAndWaterRelations)
{
    const Json j = calc_json({"O2", "80", "50"});
    EXPECT_EQ(j.at("TC").get<double>(), 80.0);
    EXPECT_NEAR(j.at("TK").get<double>(), 353.15, 1e-12);
    EXPECT_EQ(j.at("Pbar").get<double>(), 50.0);
    EXPECT_NEAR(j.at("VH2O").get<double>() * j.at("dH2O").get<double>(), 18.0152, 1e-12);
    // G of the aqueous solute = G of the gas + R T (lnkH - ln(1000/Mw)).
    const double RT = 1.987191683 * j.at("TK").get<double>();
    EXPECT_NEAR(j.at("GTaqua").get<double>(),
                j.at("GTgas").get<double>() + RT * (j.at("lnkH").get<double>() - std::log(1000.0 / 18.0152)),
                1e-8 * std::fabs(j.at("GTaqua").get<double>()));
}

TEST(CalcJson, ParametersDefaultToTheCatalogue)
{
    for (const char* solute : {"H3BO3", "Ne", "HF"}) {
        const Json j = calc_json({solute, "25", "1"});
        const SoluteRecord* r = Find_Solute(solute);
        ASSERT_NE(r, nullptr);
        // The catalogue's full values, not the four decimals of the window's boxes.
        EXPECT_EQ(j.at("Xi").get<double>(), r->Xi) << solute;
        EXPECT_EQ(j.at("Coef1").get<double>(), r->Coef1) << solute;
        EXPECT_EQ(j.at("Coef2").get<double>(), r->Coef2) << solute;
    }
}

TEST(CalcJson, ParameterOptionsReplaceTheCatalogueValues)
{
    const Json j = calc_json({"HF", "25", "1", "--xi", "0.1", "--a", "3.08", "--b", "-3.57"});
    EXPECT_EQ(j.at("Xi").get<double>(), 0.1);
    EXPECT_EQ(j.at("Coef1").get<double>(), 3.08);
    EXPECT_EQ(j.at("Coef2").get<double>(), -3.57);
    const CaseValues s = reference("HF", 25.0, 1.0, {0.1, 3.08, -3.57});
    EXPECT_EQ(j.at("lnkH").get<double>(), s.lnkH);
    EXPECT_EQ(j.at("V2").get<double>(), s.V2);

    // One option alone changes only its own parameter; options may come first.
    const Outcome o = run({"calc", "--json", "--b", "0", "N2", "25", "1"});
    ASSERT_EQ(o.rc, 0) << o.err;
    const Json only_b = Parse_Json(lines(o.out).at(0));
    EXPECT_EQ(only_b.at("Xi").get<double>(), -0.032);
    EXPECT_EQ(only_b.at("Coef1").get<double>(), -11.538);
    EXPECT_EQ(only_b.at("Coef2").get<double>(), 0.0);
    EXPECT_NEAR(only_b.at("dB12").get<double>(), -11.538 / 2, 1e-12);
}

TEST(CalcJson, ZeroPressureMeansSaturationBelowTheCriticalTemperature)
{
    const Json j = calc_json({"N2", "25", "0"});
    EXPECT_EQ(j.at("Pbar").get<double>(), j.at("Psat").get<double>());
    EXPECT_NEAR(j.at("Pbar").get<double>(), 0.0317, 0.0002);
    EXPECT_EQ(j.at("captions").at("txtPress").get<std::string>(), "0.03");
    // A pressure above 0 but below the saturation pressure is raised too.
    const Json low = calc_json({"N2", "100", "0.5"});
    EXPECT_EQ(low.at("Pbar").get<double>(), low.at("Psat").get<double>());
    EXPECT_NEAR(low.at("Pbar").get<double>(), 1.014, 0.005);
}

TEST(CalcJson, BoxTextsAndFormulaCaption)
{
    const Json j = calc_json({"CH4", "25.126", "1"});
    const Json& c = j.at("captions");
    EXPECT_EQ(j.at("TC").get<double>(), 25.126);  // used with all its decimals
    EXPECT_NEAR(j.at("TK").get<double>(), 298.276, 1e-12);
    EXPECT_EQ(c.at("txtTemp").get<std::string>(), "25.13");
    EXPECT_EQ(c.at("txtPress").get<std::string>(), "1.0");
    EXPECT_EQ(c.at("lblFormula").get<std::string>(), "CH4");
    EXPECT_EQ(calc_json({"CH4", "25", "1"}).at("captions").at("txtTemp").get<std::string>(), "25.0");
    // A formula from a catalogue file that JSON must escape, in a computed case.
    test::TempDir dir;
    test::Write_File(dir / "cat.csv", "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\n"
                                      "A\"B\\<,-0.31,-13.7,16.2,-2300,60.9,3.2,30.1,0.5\n");
    const Json odd = calc_json({"A\"B\\<", "25", "1", "--catalogue", dir / "cat.csv"});
    EXPECT_EQ(odd.at("Formula").get<std::string>(), "A\"B\\<");
    EXPECT_EQ(odd.at("captions").at("lblFormula").get<std::string>(), "A\"B\\<");
}

// Each numeric caption shows its value rounded to the caption's decimals.
TEST(CalcJson, CaptionsShowTheValuesRounded)
{
    const Json j = calc_json({"N2", "25", "1"});
    const Json& c = j.at("captions");
    const auto num = [&](const char* k) { return j.at(k).get<double>(); };
    struct Shown {
        const char* control;
        double value;
    };
    const Shown shown[] = {
        {"lbllnfH2O", num("lnfH2O")},
        {"lbldH2O", num("dH2O")},
        {"lblVH2O", num("VH2O")},
        {"lblCpH2O", num("CpH2O")},
        {"lblCompr", num("ddH2OdPbar") / num("dH2O")},
        {"lblExpan", num("ddH2OdTK") / num("dH2O")},
        {"lbllnkH", num("lnkH")},
        {"lblK0", num("K")},
        {"lblV", num("V2")},
        {"lblgcal", num("GTaqua")},
        {"lblScal", num("S2")},
        {"lblCpcal", num("Cp2")},
        {"lblgJ", num("GTaqua") * 4.184},
        {"lblSJ", num("S2") * 4.184},
        {"lblCpJ", num("Cp2") * 4.184},
    };
    for (const Shown& s : shown) {
        const std::string text = c.at(s.control).get<std::string>();
        SCOPED_TRACE(std::string(s.control) + " = \"" + text + "\"");
        char* end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        ASSERT_NE(end, text.c_str());
        for (const char* p = end; *p; ++p) EXPECT_EQ(*p, ' ');
        const std::size_t e = text.find('E');
        const std::size_t dot = text.find('.');
        ASSERT_NE(dot, std::string::npos);
        const std::size_t last = (e == std::string::npos ? text.find_last_not_of(' ') + 1 : e);
        const int decimals = static_cast<int>(last - dot - 1);
        double half_unit = 0.5 * std::pow(10.0, -decimals);
        if (e != std::string::npos) half_unit *= std::pow(10.0, std::atoi(text.c_str() + e + 1));
        EXPECT_LE(std::fabs(v - s.value), half_unit * (1 + 1e-9)) << s.value;
    }
    // Water at 25 C expands on heating: a negative expansion caption.
    EXPECT_EQ(c.at("lblExpan").get<std::string>().find_first_not_of(' '), c.at("lblExpan").get<std::string>().find('-'));
    const std::string& compr = c.at("lblCompr").get<std::string>();
    EXPECT_NE(compr.at(compr.find_first_not_of(' ')), '-') << compr;
}

TEST(CalcTable, WithoutJsonPrintsAReadableTableWithUnits)
{
    const Outcome o = run({"calc", "N2", "25", "1"});
    ASSERT_EQ(o.rc, 0) << o.err;
    EXPECT_EQ(o.out.find('{'), std::string::npos);
    EXPECT_GT(lines(o.out).size(), 5u);
    EXPECT_NE(o.out.find("N2"), std::string::npos);
    for (const char* unit : {"bar", "cal/mol", "cm3/mol"})
        EXPECT_NE(o.out.find(unit), std::string::npos) << unit;
    // lnkH of about 11.39 is shown.
    EXPECT_NE(o.out.find("11.39"), std::string::npos);
}

void expect_error_line(const Json& j, const std::string& formula, const std::string& kind,
                       const std::string& named)
{
    EXPECT_EQ(Keys(j), kErrorKeys);
    if (j.size() != kErrorKeys.size()) return;
    EXPECT_EQ(j.at("Formula").get<std::string>(), formula);
    EXPECT_EQ(j.at("kind").get<std::string>(), kind);
    std::string message = j.at("error").get<std::string>();
    for (char& ch : message) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_NE(message.find(named), std::string::npos) << j.at("error").get<std::string>();
}

TEST(CalcErrors, UnknownSolute)
{
    const Json j = calc_json({"Xe", "25", "1"}, 1);
    expect_error_line(j, "Xe", "unknown_solute", "unknown solute");
    // Formulas are exact: a lower-case one is not in the catalogue.
    expect_error_line(calc_json({"n2", "25", "1"}, 1), "n2", "unknown_solute", "unknown solute");
}

TEST(CalcErrors, ZeroPressureAboveTheCriticalTemperatureDividesByZero)
{
    const Json j = calc_json({"N2", "400", "0"}, 1);
    expect_error_line(j, "N2", "division_by_zero", "division by zero");
    EXPECT_EQ(j.at("TC").get<double>(), 400.0);
    EXPECT_EQ(j.at("Pbar").get<double>(), 0.0);
}

TEST(CalcErrors, TextThatIsNotANumberIsATypeMismatch)
{
    expect_error_line(calc_json({"N2", "abc", "1"}, 1), "N2", "type_mismatch", "type mismatch");
    expect_error_line(calc_json({"N2", "25", "1 bar"}, 1), "N2", "type_mismatch", "type mismatch");
    expect_error_line(calc_json({"N2", "25", "1", "--xi", "x"}, 1), "N2", "type_mismatch",
                      "type mismatch");
    // A text of blanks is not empty and is not a number.
    expect_error_line(calc_json({"N2", " ", "1"}, 1), "N2", "type_mismatch", "type mismatch");
}

// Without --json the failure is a message: on standard error, nothing on
// standard output.
TEST(CalcErrors, FailedCaseWithoutJsonNamesTheKindOnStandardErrorAndExitsOne)
{
    const Outcome o = run({"calc", "N2", "400", "0"});
    EXPECT_EQ(o.rc, 1);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err.rfind("error (division_by_zero): Division by zero", 0), 0u) << o.err;
}

TEST(CalcArguments, NegativeTemperatureIsAValueNotAnOption)
{
    const Json j = calc_json({"N2", "-5", "10"});
    EXPECT_EQ(j.at("TC").get<double>(), -5.0);
    EXPECT_NEAR(j.at("TK").get<double>(), 268.15, 1e-12);
}

// Negative zero means zero and is written as zero, wherever it is given.
TEST(CalcArguments, NegativeZeroIsWrittenAsZero)
{
    const Outcome j = run({"calc", "N2", "-0", "1", "--a", "-0", "--json"});
    ASSERT_EQ(j.rc, 0) << j.err;
    for (const auto& [key, text] : test::Number_Texts(j.out)) EXPECT_NE(text, "-0") << key;
    const Outcome table = run({"calc", "N2", "-0.0", "1"});
    EXPECT_NE(table.out.find("T = 0 \xC2\xB0" "C"), std::string::npos) << table.out;
    const Outcome csv = run({"grid", "N2", "--temp", "-0", "--press", "1"});
    EXPECT_EQ(lines(csv.out).at(1).rfind("N2,0,1,", 0), 0u) << csv.out;

    const std::string data = "temp,press,property,value\n-0,0,lnkH,11.4\n100,0,lnkH,11.6\n200,0,lnkH,11\n";
    const Outcome fit = run({"fit", "N2", "-", "--fix", "xi=-0", "--json"}, data);
    ASSERT_EQ(fit.rc, 0) << fit.err;
    EXPECT_EQ(fit.out.find(":-0,"), std::string::npos) << fit.out;
    const Outcome fit_text = run({"fit", "N2", "-", "--fix", "xi=-0"}, data);
    EXPECT_EQ(fit_text.out.find(" -0 "), std::string::npos) << fit_text.out;
}

TEST(CalcArguments, EmptyTemperatureAndPressureTexts)
{
    const Json j = calc_json({"N2", "", ""});
    EXPECT_EQ(j.at("TC").get<double>(), 0.0);
    EXPECT_EQ(j.at("Pbar").get<double>(), 1.0);
    EXPECT_EQ(j.at("captions").at("txtTemp").get<std::string>(), "0.0");
    EXPECT_EQ(j.at("captions").at("txtPress").get<std::string>(), "1.0");
}

}  // namespace
}  // namespace aqvis::clitest
