// `aqvis-cli list`, and the usage errors that end the program with status 2.

#include <gtest/gtest.h>

#include <charconv>
#include <sstream>
#include <string>
#include <vector>

#include "cli_support.h"
#include "solute/catalogue.h"

namespace aqvis::clitest {
namespace {

std::vector<std::string> tokens(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> t;
    for (std::string w; in >> w;) t.push_back(w);
    return t;
}

bool read_double(const std::string& text, double& v)
{
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

TEST(List, PrintsTheNineteenSolutesInMenuOrder)
{
    const Outcome o = run({"list"});
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(o.err, "");
    std::vector<std::string> rows;
    for (const std::string& l : lines(o.out)) {
        const std::vector<std::string> t = tokens(l);
        if (!t.empty() && Find_Solute(t[0])) rows.push_back(t[0]);
    }
    ASSERT_EQ(rows.size(), 19u) << o.out;
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i], Solute_Catalogue[i].Formula);
}

// Each row carries its record: xi, a, b, G0, S0 and the three heat-capacity
// coefficients, each readable as the catalogue's value.
TEST(List, RowsCarryTheRecordValues)
{
    const Outcome o = run({"list"});
    for (const std::string& l : lines(o.out)) {
        const std::vector<std::string> t = tokens(l);
        if (t.empty()) continue;
        const SoluteRecord* r = Find_Solute(t[0]);
        if (!r) continue;
        SCOPED_TRACE(l);
        std::vector<double> numbers;
        for (std::size_t i = 1; i < t.size(); ++i) {
            double v;
            if (read_double(t[i], v)) numbers.push_back(v);
        }
        const std::vector<double> record = {r->Xi,    r->Coef1, r->Coef2,  r->G0gas,
                                            r->S0gas, r->agas,  r->bgasE3, r->cgasEmin5};
        ASSERT_GE(numbers.size(), record.size());
        for (std::size_t i = 0; i < record.size(); ++i)
            EXPECT_EQ(numbers[i], record[i]) << "value " << i << " of " << r->Formula;
    }
}

// Negative zero and a number too small for a double read as 0 from a
// catalogue file, as on the command line, and print as 0 (not "-0").
TEST(List, NegativeZeroAndUnderflowPrintAsZero)
{
    test::TempDir dir;
    test::Write_File(dir / "cat.csv", "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\n"
                                      "Zero,-0,-0.0,-1e-400,1e-400,0,-0e5,0,0\n");
    for (const std::vector<std::string> args : {std::vector<std::string>{"list"}, {"list", "--csv"}}) {
        std::vector<std::string> a = args;
        a.insert(a.end(), {"--catalogue", dir / "cat.csv"});
        const Outcome o = run(a);
        ASSERT_EQ(o.rc, 0) << o.err;
        const std::string last = lines(o.out).back();
        EXPECT_EQ(last.find("-0"), std::string::npos) << last;
        EXPECT_TRUE(last.starts_with("Zero")) << last;
    }
}

void expect_usage_error(const std::vector<std::string>& args, const std::string& input = "")
{
    std::string shown;
    for (const std::string& a : args) shown += " '" + a + "'";
    SCOPED_TRACE("aqvis-cli" + shown);
    const Outcome o = run(args, input);
    EXPECT_EQ(o.rc, 2);
    EXPECT_NE(o.err, "");
    EXPECT_EQ(o.out, "");
}

TEST(Usage, MissingOrUnknownCommand)
{
    expect_usage_error({});
    expect_usage_error({"frobnicate"});
    expect_usage_error({"N2", "25", "1"});
    expect_usage_error({"list", "extra"});
}

TEST(Usage, CalcNeedsExactlySoluteTemperatureAndPressure)
{
    expect_usage_error({"calc"});
    expect_usage_error({"calc", "N2"});
    expect_usage_error({"calc", "N2", "25"});
    expect_usage_error({"calc", "N2", "25", "1", "2"});
    expect_usage_error({"calc", "--json", "N2", "25"});
}

TEST(Usage, UnknownOptionsAndOptionsWithoutValue)
{
    expect_usage_error({"calc", "N2", "25", "1", "--bogus"});
    expect_usage_error({"calc", "N2", "25", "1", "--xi"});
    expect_usage_error({"calc", "N2", "25", "1", "--a"});
    expect_usage_error({"calc", "N2", "25", "1", "--b"});
    expect_usage_error({"calc", "N2", "25", "1", "--report"});
    expect_usage_error({"batch", "--report"}, "N2,25,1\n");
    expect_usage_error({"batch", "--bogus"}, "N2,25,1\n");
    // Parameters belong to the lines of a batch, not to its command line.
    expect_usage_error({"batch", "--xi", "0.1"}, "N2,25,1\n");
}

// An option given twice would leave one value silently unused; an empty
// value is most likely a variable that was not set.
TEST(Usage, RepeatedAndEmptyOptions)
{
    expect_usage_error({"calc", "N2", "25", "1", "--xi", "0.1", "--xi", "0.2"});
    expect_usage_error({"calc", "N2", "25", "1", "--report", "a", "--report", "b"});
    expect_usage_error({"grid", "N2", "--temp", "25", "--temp", "50", "--press", "1"});
    expect_usage_error({"grid", "N2", "--temp", "25", "--press", "1", "--y", "V2", "--y", "K"});
    for (const char* option : {"--xi", "--a", "--b", "--report"})
        expect_usage_error({"calc", "N2", "25", "1", option, ""});
    expect_usage_error({"grid", "N2", "--temp", "25", "--press", "1", "--xi", ""});
}

// Grids too large to compute, or to keep for a plot, are refused at once,
// before any value of them is made (the sizes would not even fit in 64 bits).
TEST(Usage, GridTooLargeIsRefusedWithItsSize)
{
    std::string many_members = "lnkH";
    for (int k = 1; k < 4096; ++k) many_members += ",V2";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"grid", "all", "--temp", "0:99999999:1", "--press", "0:99999999:1"},
         "190000000000000000 points"},
        {{"grid", "N2", "--temp", "0:524287:1", "--press", "0:524287:1"}, "274877906944 points"},
        {{"grid", "N2", "--temp", "0:99999:1", "--press", "1", "--plot", "p.svg", "--y", many_members},
         "409600000 values"},
    };
    for (const auto& [args, said] : cases) {
        const Outcome o = run(args);
        EXPECT_EQ(o.rc, 2) << said;
        EXPECT_NE(o.err.find(said), std::string::npos) << o.err;
    }
}

// The message names what is wrong, and the parser takes negative numbers
// as values.
TEST(Usage, MessagesNameTheArgument)
{
    const Outcome extra = run({"grid", "N2", "--temp", "25,50", "--press", "1", "-"});
    EXPECT_EQ(extra.rc, 2);
    EXPECT_NE(extra.err.find("not expected: -"), std::string::npos) << extra.err;
    const Outcome negative = run({"calc", "N2", "-.5", "1", "--json"});
    EXPECT_EQ(negative.rc, 0) << negative.err;
    EXPECT_EQ(Parse_Json(negative.out).at("TC").get<double>(), -0.5);
}

TEST(Usage, BatchTakesAtMostOneInput)
{
    expect_usage_error({"batch", "a.csv", "b.csv"}, "N2,25,1\n");
}

TEST(Usage, UnreadableBatchFile)
{
    const std::string missing = "/tmp/aqvis-cli-test-no-such-dir/cases.csv";
    const Outcome o = run({"batch", missing, "--json"});
    EXPECT_EQ(o.rc, 2);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find(missing), std::string::npos) << o.err;
    // A directory is not a readable file of cases either.
    const Outcome dir = run({"batch", "/tmp", "--json"});
    EXPECT_EQ(dir.rc, 2);
    EXPECT_NE(dir.err, "");
}

}  // namespace
}  // namespace aqvis::clitest
