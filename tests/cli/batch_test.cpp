// `aqvis-cli batch`: one case per CSV line, one output line per case, in
// input order; failed cases are reported and the batch goes on.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli_support.h"
#include "solute/catalogue.h"

namespace aqvis::clitest {
namespace {

struct BatchRun {
    int rc = -1;
    std::vector<Json> cases;
    std::string out, err;
};

BatchRun batch_json(const std::string& input)
{
    BatchRun b;
    const Outcome o = run({"batch", "--json"}, input);
    b.rc = o.rc;
    b.out = o.out;
    b.err = o.err;
    EXPECT_TRUE(o.out.empty() || o.out.back() == '\n') << o.out;
    for (const std::string& l : lines(o.out)) b.cases.push_back(Parse_Json(l));
    return b;
}

bool failed(const Json& j) { return j.contains("kind"); }

TEST(Batch, AllNineteenSolutesAt25CAnd1Bar)
{
    std::string input;
    for (const SoluteRecord& r : Solute_Catalogue) input += std::string(r.Formula) + ",25,1\n";
    const BatchRun b = batch_json(input);
    EXPECT_EQ(b.rc, 0) << b.err;
    ASSERT_EQ(b.cases.size(), Solute_Catalogue.size()) << b.out;
    for (std::size_t i = 0; i < Solute_Catalogue.size(); ++i) {
        const SoluteRecord& r = Solute_Catalogue[i];
        const Json& j = b.cases[i];
        SCOPED_TRACE(r.Formula);
        ASSERT_FALSE(failed(j)) << j.at("error").get<std::string>();
        EXPECT_EQ(j.at("Formula").get<std::string>(), r.Formula);
        EXPECT_EQ(j.at("Xi").get<double>(), r.Xi);
        EXPECT_EQ(j.at("Coef1").get<double>(), r.Coef1);
        EXPECT_EQ(j.at("Coef2").get<double>(), r.Coef2);
        // The water is the same for every solute.
        EXPECT_EQ(j.at("dH2O").get<double>(), b.cases[0].at("dH2O").get<double>());
        EXPECT_EQ(j.at("lnfH2O").get<double>(), b.cases[0].at("lnfH2O").get<double>());
        const CaseValues s = reference(r.Formula, 25.0, 1.0);
        EXPECT_EQ(j.at("lnkH").get<double>(), s.lnkH);
        EXPECT_EQ(j.at("GTaqua").get<double>(), s.GTaqua);
        EXPECT_EQ(j.at("Cp2").get<double>(), s.Cp2);
    }
}

TEST(Batch, OutputFollowsInputOrderAndCasesDoNotInfluenceEachOther)
{
    const BatchRun forward = batch_json("N2,25,1\nCO2,300,100\nH2S,0,1\n");
    const BatchRun backward = batch_json("H2S,0,1\nCO2,300,100\nN2,25,1\n");
    ASSERT_EQ(forward.cases.size(), 3u);
    ASSERT_EQ(backward.cases.size(), 3u);
    const std::vector<std::string> f = lines(forward.out), r = lines(backward.out);
    EXPECT_EQ(f[0], r[2]);
    EXPECT_EQ(f[1], r[1]);
    EXPECT_EQ(f[2], r[0]);
    // Each case alone gives the same line as inside the batch.
    EXPECT_EQ(lines(batch_json("CO2,300,100\n").out).at(0), f[1]);
    EXPECT_EQ(lines(run({"calc", "N2", "25", "1", "--json"}).out).at(0), f[0]);
}

TEST(Batch, FreshStateAfterAFailedCase)
{
    // A case that fails in the middle of the water calculation leaves nothing
    // behind for the next one.
    const BatchRun b = batch_json("N2,400,0\nN2,-300,1\nN2,25,1\n");
    ASSERT_EQ(b.cases.size(), 3u);
    EXPECT_EQ(lines(b.out)[2], lines(run({"calc", "N2", "25", "1", "--json"}).out).at(0));
}

TEST(Batch, HeaderLineCommentsAndBlankLinesAreSkipped)
{
    const BatchRun b = batch_json(
        "solute,temp,press,xi,a,b\n"
        "# a comment\n"
        "\n"
        "   \n"
        "  # an indented comment\n"
        "N2,25,1\n"
        "#O2,25,1\n"
        "O2,25,1\n");
    EXPECT_EQ(b.rc, 0) << b.out;
    ASSERT_EQ(b.cases.size(), 2u) << b.out;
    EXPECT_EQ(b.cases[0].at("Formula").get<std::string>(), "N2");
    EXPECT_EQ(b.cases[1].at("Formula").get<std::string>(), "O2");
}

TEST(Batch, OnlyTheFirstLineCanBeAHeader)
{
    const BatchRun b = batch_json("N2,25,1\nsolute,temp,press\n");
    EXPECT_EQ(b.rc, 1);
    ASSERT_EQ(b.cases.size(), 2u) << b.out;
    EXPECT_FALSE(failed(b.cases[0]));
    ASSERT_TRUE(failed(b.cases[1]));
    EXPECT_EQ(b.cases[1].at("Formula").get<std::string>(), "solute");
}

TEST(Batch, EmptyTemperatureIsZeroAndEmptyPressureIsOneBar)
{
    const BatchRun b = batch_json("N2,,\nN2,,5\nN2,30,\n");
    EXPECT_EQ(b.rc, 0) << b.out;
    ASSERT_EQ(b.cases.size(), 3u);
    const double expected[3][2] = {{0.0, 1.0}, {0.0, 5.0}, {30.0, 1.0}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_FALSE(failed(b.cases[i]));
        EXPECT_EQ(b.cases[i].at("TC").get<double>(), expected[i][0]);
        EXPECT_EQ(b.cases[i].at("Pbar").get<double>(), expected[i][1]);
        const CaseValues s = reference("N2", expected[i][0], expected[i][1]);
        EXPECT_EQ(b.cases[i].at("lnkH").get<double>(), s.lnkH);
    }
    EXPECT_NEAR(b.cases[0].at("TK").get<double>(), 273.15, 1e-12);
    EXPECT_EQ(b.cases[0].at("captions").at("txtTemp").get<std::string>(), "0.0");
    EXPECT_EQ(b.cases[0].at("captions").at("txtPress").get<std::string>(), "1.0");
}

TEST(Batch, SixFieldLinesSetTheParametersAndEmptyOnesKeepTheCatalogue)
{
    const BatchRun b = batch_json("HF,25,1,0.1,3.08,-3.57\nN2,25,1,,,\nN2,25,1,0.5,,\n");
    EXPECT_EQ(b.rc, 0) << b.out;
    ASSERT_EQ(b.cases.size(), 3u);
    EXPECT_EQ(b.cases[0].at("Xi").get<double>(), 0.1);
    EXPECT_EQ(b.cases[0].at("Coef1").get<double>(), 3.08);
    EXPECT_EQ(b.cases[0].at("Coef2").get<double>(), -3.57);
    EXPECT_EQ(b.cases[0].at("lnkH").get<double>(), reference("HF", 25, 1, {0.1, 3.08, -3.57}).lnkH);
    EXPECT_EQ(lines(b.out)[1], lines(batch_json("N2,25,1\n").out).at(0));
    EXPECT_EQ(b.cases[2].at("Xi").get<double>(), 0.5);
    EXPECT_EQ(b.cases[2].at("Coef1").get<double>(), -11.538);
    EXPECT_EQ(b.cases[2].at("Coef2").get<double>(), 14.6278);
}

TEST(Batch, WindowsLineEndsGiveTheSameResults)
{
    const std::string lf = "solute,temp,press\n# note\n\nN2,25,1\nAr,,\nCO2,100,10,0,0,0\nXx,1,1\n";
    std::string crlf;
    for (char c : lf) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    const BatchRun a = batch_json(lf), b = batch_json(crlf);
    EXPECT_EQ(a.rc, 1);
    EXPECT_EQ(b.rc, a.rc);
    EXPECT_EQ(b.out, a.out);
    ASSERT_EQ(b.cases.size(), 4u);
    EXPECT_EQ(b.cases[3].at("kind").get<std::string>(), "unknown_solute");  // "Xx", not "Xx\r"
    EXPECT_EQ(b.cases[3].at("Formula").get<std::string>(), "Xx");
}

TEST(Batch, LastLineWithoutLineEndIsACase)
{
    const BatchRun b = batch_json("N2,25,1\nO2,25,1");
    EXPECT_EQ(b.rc, 0);
    ASSERT_EQ(b.cases.size(), 2u);
    EXPECT_EQ(b.cases[1].at("Formula").get<std::string>(), "O2");
    const BatchRun crlf = batch_json("N2,25,1\r\nO2,25,1\r");
    ASSERT_EQ(crlf.cases.size(), 2u);
    EXPECT_EQ(crlf.out, b.out);
}

TEST(Batch, BadLinesAreTypeMismatchesAndLaterLinesStillCompute)
{
    const std::vector<std::string> bad = {
        "N2",                  // one field
        "N2,25",               // two
        "N2,25,1,0.1",         // four
        "N2,25,1,0.1,-11",     // five
        "N2,25,1,0,0,0,0",     // seven
        "N2,abc,1",            // not a number
        "N2,25,1bar",
        "N2,25,1,x,0,0",
        "N2,25,1,0,1.2.3,0",
        "N2,25,1,",            // a trailing comma makes four fields
    };
    std::string input;
    for (const std::string& l : bad) input += l + "\nO2,25,1\n";
    const BatchRun b = batch_json(input);
    EXPECT_EQ(b.rc, 1);
    ASSERT_EQ(b.cases.size(), 2 * bad.size()) << b.out;
    for (std::size_t i = 0; i < bad.size(); ++i) {
        SCOPED_TRACE(bad[i]);
        const Json& e = b.cases[2 * i];
        ASSERT_TRUE(failed(e)) << lines(b.out)[2 * i];
        EXPECT_EQ(Keys(e), (std::vector<std::string>{"Formula", "TC", "Pbar", "error", "kind"}));
        EXPECT_EQ(e.at("Formula").get<std::string>(), "N2");
        EXPECT_EQ(e.at("kind").get<std::string>(), "type_mismatch");
        std::string message = e.at("error").get<std::string>();
        for (char& ch : message) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        EXPECT_NE(message.find("type mismatch"), std::string::npos) << e.at("error").get<std::string>();
        const Json& ok = b.cases[2 * i + 1];
        EXPECT_FALSE(failed(ok));
        EXPECT_EQ(ok.at("Formula").get<std::string>(), "O2");
    }
}

TEST(Batch, UnknownSoluteAndDivisionByZeroDoNotStopTheBatch)
{
    const BatchRun b = batch_json("Xe,25,1\nN2,400,0\nN2,400,300\nHe,25,1\nAr,25,1\n");
    EXPECT_EQ(b.rc, 1);
    ASSERT_EQ(b.cases.size(), 5u) << b.out;
    EXPECT_EQ(b.cases[0].at("kind").get<std::string>(), "unknown_solute");
    EXPECT_EQ(b.cases[0].at("Formula").get<std::string>(), "Xe");
    EXPECT_EQ(b.cases[1].at("kind").get<std::string>(), "division_by_zero");
    EXPECT_EQ(b.cases[1].at("TC").get<double>(), 400.0);
    EXPECT_EQ(b.cases[1].at("Pbar").get<double>(), 0.0);
    EXPECT_FALSE(failed(b.cases[2]));  // 400 C and 300 bar computes
    EXPECT_EQ(b.cases[3].at("kind").get<std::string>(), "unknown_solute");
    EXPECT_FALSE(failed(b.cases[4]));
}

TEST(Batch, UnknownFormulaIsEscapedInTheJsonLine)
{
    const BatchRun b = batch_json("N\"2\\,25,1\nX\x01Y,25,1\n");
    ASSERT_EQ(b.cases.size(), 2u) << b.out;
    EXPECT_EQ(b.cases[0].at("Formula").get<std::string>(), "N\"2\\");
    EXPECT_EQ(b.cases[0].at("kind").get<std::string>(), "unknown_solute");
    EXPECT_EQ(b.cases[1].at("Formula").get<std::string>(), "X\x01Y");
}

TEST(Batch, ErrorLineReportsTheInputsThatCouldBeRead)
{
    const BatchRun b = batch_json("N2,abc,5\nN2,30,x\nXe,30,5\n");
    ASSERT_EQ(b.cases.size(), 3u) << b.out;
    EXPECT_TRUE(b.cases[0].at("TC").is_null());
    EXPECT_EQ(b.cases[0].at("Pbar").get<double>(), 5.0) << lines(b.out)[0];
    EXPECT_EQ(b.cases[1].at("TC").get<double>(), 30.0) << lines(b.out)[1];
    EXPECT_TRUE(b.cases[1].at("Pbar").is_null());
    EXPECT_EQ(b.cases[2].at("TC").get<double>(), 30.0) << lines(b.out)[2];
    EXPECT_EQ(b.cases[2].at("Pbar").get<double>(), 5.0) << lines(b.out)[2];
}

TEST(Batch, TemperatureBelowAbsoluteZeroIsAFloatingPointFailure)
{
    const BatchRun b = batch_json("N2,-300,1\nN2,25,1\n");
    EXPECT_EQ(b.rc, 1);
    ASSERT_EQ(b.cases.size(), 2u);
    ASSERT_TRUE(failed(b.cases[0]));
    const std::string kind = b.cases[0].at("kind").get<std::string>();
    EXPECT_TRUE(kind == "invalid_operation" || kind == "division_by_zero" || kind == "overflow" ||
                kind == "no_convergence")
        << kind;
    EXPECT_FALSE(failed(b.cases[1]));
}

TEST(Batch, EmptyInputIsSuccessWithNoOutput)
{
    const BatchRun b = batch_json("");
    EXPECT_EQ(b.rc, 0);
    EXPECT_EQ(b.out, "");
    const BatchRun only_header = batch_json("solute,temp,press\n# nothing\n");
    EXPECT_EQ(only_header.rc, 0);
    EXPECT_EQ(only_header.out, "");
}

TEST(Batch, ReadsAFileOrStandardInputAlike)
{
    char path[] = "/tmp/aqvis_cli_batch_XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string input = "solute,temp,press\nN2,25,1\nXx,1,1\nCH4,60,20\n";
    std::FILE* f = fdopen(fd, "w");
    std::fputs(input.c_str(), f);
    std::fclose(f);
    const Outcome from_file = run({"batch", path, "--json"});
    const Outcome from_dash = run({"batch", "-", "--json"}, input);
    const Outcome from_stdin = run({"batch", "--json"}, input);
    std::remove(path);
    EXPECT_EQ(from_file.rc, 1);
    EXPECT_EQ(lines(from_file.out).size(), 3u);
    EXPECT_EQ(from_dash.rc, 1);
    EXPECT_EQ(from_stdin.rc, 1);
    EXPECT_EQ(from_dash.out, from_file.out);
    EXPECT_EQ(from_stdin.out, from_file.out);
}

// A lone CR ends a line as LF and CR LF do; tabs around a number are
// dropped like blanks; the title line may follow comments and blank lines,
// in any case.
TEST(Batch, LineEndsTabsAndTitleLines)
{
    const BatchRun b = batch_json("# cases\n\nSolute,Temp,Press\rN2,\t25\t,1\rO2,25,1\r\r\nAr, 25 ,\t1\n");
    EXPECT_EQ(b.rc, 0) << b.out;
    ASSERT_EQ(b.cases.size(), 3u) << b.out;
    for (const Json& j : b.cases) {
        EXPECT_FALSE(failed(j)) << j.dump();
        EXPECT_EQ(j.at("TC").get<double>(), 25.0);
    }
}

// A first line whose first field names a known solute is a case, although
// the name begins with "solute" as a title's first field does.
TEST(Batch, AFirstLineNamingAKnownSoluteIsACase)
{
    test::TempDir dir;
    test::Write_File(dir / "cat.csv", "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\n"
                                      "soluteX,-0.31,-13.7,16.2,-2300,60.9,3.2,30.1,0.5\n");
    const struct {
        const char* input;
        std::size_t cases;
    } cases[] = {{"soluteX,25,1\nN2,25,1\n", 2}, {"Solute,Temp,Press\nsoluteX,25,1\n", 1}, {"soluteY,25,1\n", 0}};
    for (const auto& c : cases) {
        const Outcome o = run({"batch", "--json", "--catalogue", dir / "cat.csv"}, c.input);
        EXPECT_EQ(lines(o.out).size(), c.cases) << c.input << o.out;
        EXPECT_EQ(o.rc, 0) << o.err;
    }
}

// Text from the input reaches the output as valid UTF-8 in JSON, whole past
// a NUL, and unable to drive a terminal in readable lines.
TEST(Batch, InputTextStaysValidJsonAndInertOnATerminal)
{
    const char raw[] = "\xC3\x28,25,1\nN2\x1B[31m,25,1\nN2,2\0" "5,1\n";
    const std::string input(raw, sizeof raw - 1);
    const BatchRun b = batch_json(input);  // every line read by a strict JSON reader
    ASSERT_EQ(b.cases.size(), 3u) << b.out;
    EXPECT_EQ(b.cases[0].at("Formula").get<std::string>(), "\xEF\xBF\xBD(");
    EXPECT_EQ(b.cases[1].at("Formula").get<std::string>(), "N2\x1B[31m");
    EXPECT_EQ(b.cases[2].at("kind").get<std::string>(), "type_mismatch");
    EXPECT_NE(b.cases[2].at("error").get<std::string>().find("\"2\\x005\""), std::string::npos);

    const Outcome readable = run({"batch"}, input);
    ASSERT_EQ(lines(readable.out).size(), 3u) << readable.out;
    EXPECT_EQ(readable.out.find('\x1B'), std::string::npos);
    EXPECT_NE(readable.out.find("N2\\x1b[31m"), std::string::npos) << readable.out;
    EXPECT_NE(readable.out.find("\"2\\x005\" is not a number"), std::string::npos) << readable.out;
}

TEST(Batch, Utf16TextIsRefusedAsAWhole)
{
    const char little_endian[] = "\xFF\xFEN\0" "2\0,\0" "2\0" "5\0,\0" "1\0\n\0";
    const char big_endian[] = "\0N\0" "2\0,\0" "2\0" "5\0,\0" "1\0\n";  // without a byte-order mark
    for (const std::string& input : {std::string(little_endian, sizeof little_endian - 1),
                                     std::string(big_endian, sizeof big_endian - 1)}) {
        const Outcome o = run({"batch", "--json"}, input);
        EXPECT_EQ(o.rc, 2);
        EXPECT_EQ(o.out, "");
        EXPECT_NE(o.err.find("UTF-16"), std::string::npos) << o.err;
    }
}

// Without --json, too, a batch prints one line per case, in input order.
TEST(Batch, WithoutJsonOneLinePerCase)
{
    const Outcome o = run({"batch"}, "N2,25,1\nXx,25,1\nO2,400,0\nAr,25,1\n");
    EXPECT_EQ(o.rc, 1);
    const std::vector<std::string> l = lines(o.out);
    ASSERT_EQ(l.size(), 4u) << o.out;
    EXPECT_NE(l[0].find("N2"), std::string::npos);
    EXPECT_NE(l[1].find("Xx"), std::string::npos);
    EXPECT_NE(l[3].find("Ar"), std::string::npos);
}

}  // namespace
}  // namespace aqvis::clitest
