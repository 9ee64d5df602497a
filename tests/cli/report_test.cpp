// --report FILE: the same report the window appends to, a four-line header
// whenever the solute or its parameters change, one data line per successful
// case, every line ended by CR LF.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli_support.h"

namespace aqvis::clitest {
namespace {

namespace fs = std::filesystem;

const char* const kTitles =
    "    T             P            dH2O       ln(kH, bar)     K(gas=>aq)     V              Gaq"
    "           S             Cp            Gaq             S             Cp ";
const char* const kUnits =
    "    C            bar           g/cc                       mol/kg/bar   cc/mol         cal/mol"
    "     cal/mol/K      cal/mol/K       J/mol         J/mol/K        J/mol/K ";

class Report : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The report follows the environment's decimal separator; these
        // expectations are written with a point.
        ::setenv("LC_ALL", "C", 1);
        char tmpl[] = "/tmp/aqvis_cli_report_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        path_ = (dir_ / "AQVIS.OUT").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string contents() const
    {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Lines of the report, split at CR LF; fails on a line end that is not CR LF.
    std::vector<std::string> report_lines() const
    {
        const std::string text = contents();
        std::vector<std::string> v;
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t nl = text.find('\n', start);
            if (nl == std::string::npos) {
                ADD_FAILURE() << "the report ends without a line end: " << text.substr(start);
                break;
            }
            if (nl == start || text[nl - 1] != '\r') {
                ADD_FAILURE() << "line without CR LF: " << text.substr(start, nl - start);
                v.push_back(text.substr(start, nl - start));
            } else {
                v.push_back(text.substr(start, nl - start - 1));
            }
            EXPECT_EQ(v.back().find('\r'), std::string::npos) << v.back();
            start = nl + 1;
        }
        return v;
    }

    fs::path dir_;
    std::string path_;
};

bool is_data_line(const std::string& l)
{
    // Data lines start with the temperature; header lines with text.
    const std::size_t p = l.find_first_not_of(' ');
    return p != std::string::npos && (std::isdigit(static_cast<unsigned char>(l[p])) || l[p] == '-');
}

std::vector<std::string> tokens(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> t;
    for (std::string w; in >> w;) t.push_back(w);
    return t;
}

// The shown text is the value rounded to the decimals it shows.
void expect_rounded(const std::string& text, double value, const char* what)
{
    const double v = std::strtod(text.c_str(), nullptr);
    const std::size_t e = text.find('E');
    const std::size_t dot = text.find('.');
    ASSERT_NE(dot, std::string::npos) << what << " " << text;
    const int decimals = static_cast<int>((e == std::string::npos ? text.size() : e) - dot - 1);
    double half_unit = 0.5 * std::pow(10.0, -decimals);
    if (e != std::string::npos) half_unit *= std::pow(10.0, std::atoi(text.c_str() + e + 1));
    EXPECT_LE(std::fabs(v - value), half_unit * (1 + 1e-9)) << what << " shown as " << text;
}

// The twelve fields of a data line against the JSON results of the same case.
void expect_data_line(const std::string& line, const Json& j)
{
    SCOPED_TRACE(line);
    const std::vector<std::string> t = tokens(line);
    ASSERT_EQ(t.size(), 12u);
    const double g = j.at("GTaqua").get<double>(), s = j.at("S2").get<double>(), cp = j.at("Cp2").get<double>();
    expect_rounded(t[0], j.at("TC").get<double>(), "TC");
    expect_rounded(t[1], j.at("Pbar").get<double>(), "Pbar");
    expect_rounded(t[2], j.at("dH2O").get<double>(), "dH2O");
    expect_rounded(t[3], j.at("lnkH").get<double>(), "lnkH");
    expect_rounded(t[4], j.at("K").get<double>(), "K");
    expect_rounded(t[5], j.at("V2").get<double>(), "V2");
    expect_rounded(t[6], g, "GTaqua");
    expect_rounded(t[7], s, "S2");
    expect_rounded(t[8], cp, "Cp2");
    expect_rounded(t[9], g * 4.184, "GTaqua J");
    expect_rounded(t[10], s * 4.184, "S2 J");
    expect_rounded(t[11], cp * 4.184, "Cp2 J");
    // Each field lies in its own 14-character print zone.
    std::size_t pos = 0;
    for (std::size_t k = 0; k < t.size(); ++k) {
        pos = line.find(t[k], pos);
        EXPECT_GE(pos, 14 * k) << "field " << k + 1;
        EXPECT_LT(pos, 14 * (k + 1)) << "field " << k + 1;
        pos += t[k].size();
    }
}

void expect_header(const std::vector<std::string>& l, std::size_t at, const std::string& component)
{
    ASSERT_LE(at + 4, l.size());
    static const std::regex date_line(R"( {45,46}  Date \d\d-\d\d-\d{4}  Time  \d\d:\d\d:\d\d)");
    EXPECT_TRUE(std::regex_match(l[at], date_line)) << '"' << l[at] << '"';
    EXPECT_EQ(l[at + 1], component);
    EXPECT_EQ(l[at + 2], kTitles);
    EXPECT_EQ(l[at + 3], kUnits);
}

TEST_F(Report, HeaderOnlyWhenSoluteOrParametersChange)
{
    {
        std::ofstream earlier(path_, std::ios::binary);
        earlier << "an earlier run\r\n";
    }
    const std::string input =
        "Xe,25,1\n"                          // unknown: nothing written
        "N2,25,1\n"                          // header 1, data
        "N2,50,1\n"                          // data
        "N2,abc,1\n"                         // fails: nothing
        "O2,25,1\n"                          // header 2, data
        "O2,25,1,0.5,,\n"                    // other xi: header 3, data
        "O2,400,0,0.5,,\n"                   // fails: nothing
        "O2,30,1,0.5,,\n"                    // data
        "N2,25,1,-0.032,-11.538,14.6278\n"   // back to N2's own values: header 4, data
        "N2,75,1\n";                         // data
    const Outcome o = run({"batch", "--json", "--report", path_}, input);
    EXPECT_EQ(o.rc, 1);
    const std::vector<std::string> out = lines(o.out);
    ASSERT_EQ(out.size(), 10u) << o.out;

    const std::vector<std::string> l = report_lines();
    ASSERT_EQ(l.size(), 1u + 4 * 4 + 7) << contents();
    EXPECT_EQ(l[0], "an earlier run");

    const std::string n2 = " Aqueous component N2     Xi = -.032      a = -11.538     b = 14.6278";
    const std::string o2 = " Aqueous component O2     Xi = .026      a = -9.754     b = 12.9411";
    const std::string o2_half = " Aqueous component O2     Xi = .5      a = -9.754     b = 12.9411";
    std::size_t i = 1;
    expect_header(l, i, n2);
    i += 4;
    expect_data_line(l[i++], Parse_Json(out[1]));
    expect_data_line(l[i++], Parse_Json(out[2]));
    expect_header(l, i, o2);
    i += 4;
    expect_data_line(l[i++], Parse_Json(out[4]));
    expect_header(l, i, o2_half);
    i += 4;
    expect_data_line(l[i++], Parse_Json(out[5]));
    expect_data_line(l[i++], Parse_Json(out[7]));
    expect_header(l, i, n2);
    i += 4;
    expect_data_line(l[i++], Parse_Json(out[8]));
    expect_data_line(l[i++], Parse_Json(out[9]));
    EXPECT_EQ(i, l.size());
}

TEST_F(Report, ComponentLineShowsParametersWithoutLeadingZero)
{
    const Outcome o =
        run({"calc", "HF", "25", "1", "--xi", "0.1", "--a", "3", "--b", "-3.57", "--report", path_});
    EXPECT_EQ(o.rc, 0) << o.out << o.err;
    const std::vector<std::string> l = report_lines();
    ASSERT_EQ(l.size(), 5u) << contents();
    EXPECT_EQ(l[1], " Aqueous component HF     Xi = .1      a = 3.     b = -3.57");
    EXPECT_TRUE(is_data_line(l[4])) << l[4];
    EXPECT_EQ(tokens(l[4]).at(0), "25.00");
}

TEST_F(Report, CalcAppendsToTheFile)
{
    ASSERT_EQ(run({"calc", "N2", "25", "1", "--report", path_}).rc, 0);
    const std::vector<std::string> first = report_lines();
    ASSERT_EQ(first.size(), 5u) << contents();
    expect_header(first, 0, " Aqueous component N2     Xi = -.032      a = -11.538     b = 14.6278");

    const Outcome o = run({"calc", "N2", "0", "0", "--json", "--report", path_});
    ASSERT_EQ(o.rc, 0);
    const std::vector<std::string> l = report_lines();
    ASSERT_GT(l.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i) EXPECT_EQ(l[i], first[i]);
    ASSERT_TRUE(is_data_line(l.back())) << l.back();
    expect_data_line(l.back(), Parse_Json(lines(o.out).at(0)));
    // The saturation pressure of about 0.006 bar shows as 0.0.
    EXPECT_EQ(tokens(l.back()).at(1), "0.0");
}

TEST_F(Report, FailedCaseWritesNoDataLine)
{
    const Outcome o = run({"calc", "N2", "400", "0", "--report", path_});
    EXPECT_EQ(o.rc, 1);
    for (const std::string& l : report_lines()) EXPECT_FALSE(is_data_line(l)) << l;
    const Outcome unknown = run({"calc", "Xe", "25", "1", "--report", path_});
    EXPECT_EQ(unknown.rc, 1);
    for (const std::string& l : report_lines()) EXPECT_FALSE(is_data_line(l)) << l;
}

TEST_F(Report, UnwritableReportIsAFileErrorOfEachCase)
{
    const std::string bad = (dir_ / "missing-dir" / "AQVIS.OUT").string();
    const Outcome o = run({"batch", "--json", "--report", bad}, "N2,25,1\nXe,25,1\nO2,25,1\n");
    EXPECT_EQ(o.rc, 1);
    const std::vector<std::string> out = lines(o.out);
    ASSERT_EQ(out.size(), 3u) << o.out;
    const Json first = Parse_Json(out[0]);
    ASSERT_TRUE(first.contains("kind")) << out[0];
    EXPECT_EQ(first.at("kind").get<std::string>(), "file_error");
    EXPECT_NE(first.at("error").get<std::string>().find(bad), std::string::npos) << first.at("error").get<std::string>();
    EXPECT_EQ(Parse_Json(out[1]).at("kind").get<std::string>(), "unknown_solute");
    ASSERT_TRUE(Parse_Json(out[2]).contains("kind"));
    EXPECT_EQ(Parse_Json(out[2]).at("kind").get<std::string>(), "file_error");
    EXPECT_FALSE(fs::exists(bad));
}

}  // namespace
}  // namespace aqvis::clitest
