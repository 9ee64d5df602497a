// `aqvis-cli grid`: the rows are the cases of `batch`, in a fixed order
// whatever the number of threads; failed points are rows of their own.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/axis.h"
#include "cli/cases.h"
#include "cli/command.h"
#include "cli/grid.h"
#include "results/number_text.h"
#include "cli_support.h"

namespace aqvis::clitest {
namespace {

std::string text_of(double v)
{
    std::string s;
    Append_Number17(s, v);
    return s;
}

std::vector<std::string> split_fields(const std::string& line)
{
    std::vector<std::string> f;
    std::stringstream in(line);
    std::string item;
    while (std::getline(in, item, ',')) f.push_back(item);
    if (!line.empty() && line.back() == ',') f.push_back("");
    return f;
}

double number(const std::string& text)
{
    double v = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size())
        throw std::runtime_error("not a number: '" + text + "'");
    return v;
}

// The batch input for the cases of a grid, in the grid's order.
std::string batch_input(const std::vector<std::string>& solutes, const std::vector<double>& temps,
                        const std::vector<double>& pressures, const std::string& params = "")
{
    std::string in;
    for (const std::string& s : solutes)
        for (double p : pressures)
            for (double t : temps) in += s + "," + text_of(t) + "," + text_of(p) + params + "\n";
    return in;
}

// Runs the grid through the library entry point with a small chunk size, so
// that a few hundred points are spread over many chunks and threads.
std::string read_all(std::FILE* f)
{
    std::string text;
    std::rewind(f);
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    return text;
}

std::string run_grid(cli::GridJob job, unsigned threads, std::size_t chunk = 5)
{
    job.threads = threads;
    job.chunk_points = chunk;
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    cli::Output output(out);
    cli::Run_Grid(job, output, err);
    output.Flush();
    std::string text = read_all(out);
    std::fclose(out);
    std::fclose(err);
    return text;
}

std::vector<const CatalogueEntry*> records(const std::vector<std::string>& names)
{
    static const Catalogue catalogue;
    std::vector<const CatalogueEntry*> r;
    for (const std::string& n : names) r.push_back(catalogue.Find(n));
    return r;
}

// Crosses the critical temperature (373.917 degC) at 0 bar, where the points
// above it fail, with parameters of the user's own.
const std::vector<std::string> kSolutes = {"N2", "CO2", "HF"};
const std::vector<double> kTemps = {0.0, 25.0, 100.5, 300.0, 373.0, 373.917, 374.0, 400.0};
const std::vector<double> kPressures = {0.0, 1.0, 500.0};

TEST(Grid, JsonLinesAreTheBatchLinesForOneAndTwoThreads)
{
    const Outcome b = run({"batch", "--json"}, batch_input(kSolutes, kTemps, kPressures, ",0.1,-10,12"));
    ASSERT_EQ(b.rc, 1) << b.err;  // the 0 bar points above Tcr fail
    cli::GridJob job;
    job.solutes = records(kSolutes);
    job.temps = kTemps;
    job.pressures = kPressures;
    job.parameters = {0.1, -10.0, 12.0};
    job.format = cli::GridFormat::Json;
    for (unsigned threads : {1u, 2u}) {
        SCOPED_TRACE(threads);
        EXPECT_EQ(run_grid(job, threads), b.out);
    }
}

TEST(Grid, CsvRowsHoldTheBatchValuesAndErrorKinds)
{
    const Outcome b = run({"batch", "--json"}, batch_input(kSolutes, kTemps, kPressures));
    const std::vector<std::string> expected = lines(b.out);
    for (const char* threads : {"1", "2"}) {
        SCOPED_TRACE(threads);
        const Outcome g = run({"grid", "N2,CO2,HF", "--temp", "0,25,100.5,300,373,373.917,374,400", "--press",
                               "0,1,500", "--columns", "all", "--threads", threads});
        EXPECT_EQ(g.rc, 1) << g.err;
        const std::vector<std::string> rows = lines(g.out);
        ASSERT_EQ(rows.size(), expected.size() + 1) << g.out;
        const std::vector<std::string> header = split_fields(rows[0]);
        ASSERT_EQ(header.front(), "Formula");
        ASSERT_EQ(header.back(), "error");
        for (std::size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE(rows[i + 1]);
            const Json j = Parse_Json(expected[i]);
            const std::vector<std::string> f = split_fields(rows[i + 1]);
            ASSERT_EQ(f.size(), header.size());
            EXPECT_EQ(f.front(), j.at("Formula").get<std::string>());
            if (j.contains("kind")) {
                EXPECT_EQ(f.back(), j.at("kind").get<std::string>());
                continue;
            }
            EXPECT_EQ(f.back(), "");
            for (std::size_t c = 1; c + 1 < header.size(); ++c) {
                const std::string name = header[c].substr(0, header[c].find(' '));
                if (name == "warning") {
                    EXPECT_EQ(f[c], j.value("warning", ""));
                    continue;
                }
                // Equal doubles: the CSV text reads back as the JSON value.
                EXPECT_EQ(number(f[c]), j.at(name).get<double>()) << name;
            }
        }
    }
}

TEST(Grid, OutputIsTheSameForAnyThreadCountAndChunkSize)
{
    cli::GridJob job;
    job.solutes = records({"CH4", "NH3"});
    job.temps = cli::Parse_Axis("-5:450:7.5");
    job.pressures = {0.0, 0.5, 220.0, 1000.0};
    for (const Member& m : Output_Members()) job.columns.push_back(&m);
    const std::string one = run_grid(job, 1, 1000);
    EXPECT_EQ(lines(one).size(), 1 + 2 * 61 * 4u);
    EXPECT_EQ(run_grid(job, 2, 3), one);
    EXPECT_EQ(run_grid(job, 3, 17), one);
    job.format = cli::GridFormat::Table;
    EXPECT_EQ(run_grid(job, 2, 4), run_grid(job, 1, 1000));
}

TEST(Grid, AllIsTheNineteenSolutesInCatalogueOrder)
{
    const Outcome g = run({"grid", "all", "--temp", "25", "--press", "1"});
    EXPECT_EQ(g.rc, 0) << g.err;
    std::vector<std::string> formulas;
    for (const std::string& row : lines(g.out)) formulas.push_back(split_fields(row)[0]);
    ASSERT_EQ(formulas.size(), 20u) << g.out;
    formulas.erase(formulas.begin());
    const std::vector<std::string> nineteen = {
        "H2",   "N2",   "O2",   "H2S",  "CO2",   "Ar",  "Ne", "NH3",   "SO2",   "CH4",
        "C2H4", "C2H6", "C3H8", "C4H10", "C6H6", "HCl", "HF", "H3BO3", "H3AsO3"};
    EXPECT_EQ(std::set<std::string>(formulas.begin(), formulas.end()),
              std::set<std::string>(nineteen.begin(), nineteen.end()));
    for (std::size_t i = 0; i < formulas.size(); ++i) EXPECT_EQ(formulas[i], Solute_Catalogue[i].Formula);
}

TEST(Grid, CrossingTheCriticalTemperatureKeepsTheOtherPoints)
{
    // At 0 bar only the saturation curve exists, and it ends at Tcr; at
    // 0.01 bar the states above Tcr are steam.
    const Outcome g = run({"grid", "O2", "--temp", "360:390:0.5", "--press", "0,0.01", "--table"});
    EXPECT_EQ(g.rc, 1);
    std::vector<std::string> rows;
    for (const std::string& l : lines(g.out))
        if (!l.starts_with("  warning: ")) rows.push_back(l);
    ASSERT_EQ(rows.size(), 2 + 2 * 61u) << g.out;
    std::size_t failed = 0;
    for (std::size_t i = 2; i < rows.size(); ++i) {
        std::istringstream in(rows[i]);
        std::string formula;
        double TC = 0, P = 0;
        in >> formula >> TC >> P;
        SCOPED_TRACE(rows[i]);
        EXPECT_EQ(formula, "O2");
        const bool at_zero = i < 2 + 61;
        EXPECT_EQ(TC, 360.0 + 0.5 * static_cast<double>((i - 2) % 61));
        const bool fails = at_zero && TC > 373.917;
        EXPECT_EQ(rows[i].find("failed: division_by_zero") != std::string::npos, fails);
        if (!fails) {
            EXPECT_EQ(rows[i].find("failed"), std::string::npos);
        }
        failed += fails;
    }
    EXPECT_EQ(failed, 33u);  // 374.0, 374.5, ..., 390.0
}

TEST(Grid, ReportFileHasTheBatchLines)
{
    const auto dir = std::filesystem::temp_directory_path() / ("aqvis_grid_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string from_grid = (dir / "grid.out").string(), from_batch = (dir / "batch.out").string();
    const Outcome g = run({"grid", "H2S,SO2", "--temp", "25,400", "--press", "0,100", "--report",
                           from_grid, "--threads", "2"});
    EXPECT_EQ(g.rc, 1) << g.err;
    run({"batch", "--report", from_batch},
        batch_input({"H2S", "SO2"}, {25.0, 400.0}, {0.0, 100.0}));
    auto content = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::vector<std::string> l;
        std::string line;
        while (std::getline(in, line))
            if (line.find("Date") == std::string::npos) l.push_back(line);  // the clock differs
        return l;
    };
    const std::vector<std::string> grid_lines = content(from_grid);
    EXPECT_EQ(grid_lines.size(), 2 * 3 + 6u);  // per solute a header, three points computed
    EXPECT_EQ(grid_lines, content(from_batch));
    std::filesystem::remove_all(dir);
}

// A point whose calculation goes through but whose derived values fail
// (lnkH beyond 700, so K overflows) is a failed row of kind overflow, as the
// same case is in a batch, and has no line in the report.
TEST(Grid, DerivedValuesThatFailMakeAFailedRowAsInABatch)
{
    const Outcome b = run({"batch", "--json"}, batch_input({"N2"}, {25.0, 50.0}, {1.0}, ",-0.032,1000,14.6278"));
    ASSERT_EQ(b.rc, 1);
    ASSERT_EQ(lines(b.out).size(), 2u);
    for (const std::string& l : lines(b.out)) EXPECT_EQ(test::Kind(l), "overflow") << l;
    const std::vector<std::string> grid = {"grid", "N2", "--temp", "25,50", "--press", "1", "--a", "1000"};
    std::vector<std::string> json = grid;
    json.push_back("--json");
    const Outcome j = run(json);
    EXPECT_EQ(j.rc, 1);
    EXPECT_EQ(j.out, b.out);

    test::TempDir dir;
    std::vector<std::string> csv = grid;
    csv.insert(csv.end(), {"--report", dir / "R"});
    const Outcome c = run(csv);
    EXPECT_EQ(c.rc, 1);
    const std::vector<std::string> rows = lines(c.out);
    ASSERT_EQ(rows.size(), 3u) << c.out;
    for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_TRUE(rows[i].ends_with(",overflow")) << rows[i];
    EXPECT_EQ(test::Crlf_Lines(test::Read_File(dir / "R")).size(), 4u);  // the header alone
}

TEST(Grid, UsageErrors)
{
    const std::vector<std::vector<std::string>> bad = {
        {"grid", "N2", "--temp", "25"},                                   // no --press
        {"grid", "N2,Xe", "--temp", "25", "--press", "1"},                // unknown solute
        {"grid", "N2", "--temp", "0:100:0", "--press", "1"},              // zero step
        {"grid", "N2", "--temp", "100:0:5", "--press", "1"},              // step away from TO
        {"grid", "N2", "--temp", "25,x", "--press", "1"},                 // not a number
        {"grid", "N2", "--temp", "25", "--press", "1", "--json", "--csv"},
        {"grid", "N2", "--temp", "25", "--press", "1", "--columns", "lnkH", "--json"},
        {"grid", "N2", "--temp", "25", "--press", "1", "--columns", "nope"},
        {"grid", "N2", "--temp", "25", "--press", "1", "--xi", "abc"},
        {"grid", "N2", "--temp", "25", "--press", "1", "--threads", "0"},
        {"grid", "N2", "--temp", "25", "--press", "1", "--y", "lnkH"},   // --y without --plot
        {"grid", "N2", "--temp", "25", "--press", "1", "--plot", "a.pdf"},
    };
    for (const auto& args : bad) {
        const Outcome o = run(args);
        std::string cmd;
        for (const auto& a : args) cmd += a + " ";
        EXPECT_EQ(o.rc, 2) << cmd;
        EXPECT_EQ(o.out, "") << cmd;
        EXPECT_NE(o.err.find("aqvis-cli: "), std::string::npos) << cmd;
    }
}

TEST(GridAxis, RangesAndLists)
{
    // Decimal steps give the doubles of the decimal texts, not sums of 0.1.
    const std::vector<double> tenths = cli::Parse_Axis("0:1:0.1");
    ASSERT_EQ(tenths.size(), 11u);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(tenths[k], number("0." + std::to_string(k))) << k;
    EXPECT_EQ(tenths[10], 1.0);
    EXPECT_EQ(cli::Parse_Axis("0:10:3"), (std::vector<double>{0, 3, 6, 9}));
    EXPECT_EQ(cli::Parse_Axis("10:0:-5"), (std::vector<double>{10, 5, 0}));
    EXPECT_EQ(cli::Parse_Axis("-2.5:2.5:2.5"), (std::vector<double>{-2.5, 0, 2.5}));
    EXPECT_EQ(cli::Parse_Axis("1e2:3e2:1e2"), (std::vector<double>{100, 200, 300}));
    EXPECT_EQ(cli::Parse_Axis("25, 50,100"), (std::vector<double>{25, 50, 100}));
    EXPECT_EQ(cli::Parse_Axis("7"), (std::vector<double>{7}));
    EXPECT_EQ(cli::Parse_Axis("0:349.9:0.1").size(), 3500u);
    EXPECT_EQ(cli::Parse_Axis("0:349.9:0.1").back(), 349.9);
    for (const char* bad : {"", "1:2", "1:2:3:4", "a:2:1", "1,,2", "0:1e300:1e-300"})
        EXPECT_THROW(cli::Parse_Axis(bad), cli::UsageError) << bad;
    // Ends with many digits and a step with many decimals: FROM itself (in
    // units of the step, FROM would not fit in 64 bits).
    EXPECT_EQ(cli::Parse_Axis("24496081740101:24496081740101:0.000000000000001"),
              (std::vector<double>{24496081740101.0}));
    EXPECT_EQ(cli::Parse_Axis("-999999999999999:-999999999999999:0.000000000000001"),
              (std::vector<double>{-999999999999999.0}));
    // Negative zero is zero.
    for (const char* zero : {"-0", "-0.0:1:1", "-0e5:1:1"})
        EXPECT_FALSE(std::signbit(cli::Parse_Axis(zero).front())) << zero;
    for (const char* text : {"0:1:0.1", "10:0:-5", "1e2:3e2:1e2", "25,50", "24496081740101:24496081740101:1e-15"})
        EXPECT_EQ(cli::Axis_Size(text), cli::Parse_Axis(text).size()) << text;
}

TEST(GridProgress, BarOnATerminalOnly)
{
    cli::GridJob job;
    job.solutes = records({"N2"});
    job.temps = cli::Parse_Axis("0:300:1");
    job.pressures = {1.0};
    job.progress_delay = 0.0;
    job.chunk_points = 16;

    // Not a terminal: nothing on stderr.
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    cli::Output to_file(out);
    cli::Run_Grid(job, to_file, err);
    std::fflush(err);
    EXPECT_EQ(read_all(err), "");
    std::fclose(out);
    std::fclose(err);

    // A pseudo-terminal: a bar that ends at 100 % and a new line.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    std::FILE* tty = fdopen(slave, "w");
    out = std::tmpfile();
    cli::Output to_tmp(out);
    const cli::GridSummary s = cli::Run_Grid(job, to_tmp, tty);
    std::fclose(tty);
    std::fclose(out);
    EXPECT_EQ(s.points, 301u);
    std::string shown;
    char buf[4096];
    const int flags = fcntl(master, F_GETFL);
    fcntl(master, F_SETFL, flags | O_NONBLOCK);
    ssize_t n;
    while ((n = read(master, buf, sizeof buf)) > 0) shown.append(buf, static_cast<std::size_t>(n));
    close(master);
    EXPECT_NE(shown.find("100%"), std::string::npos) << shown;
    EXPECT_NE(shown.find("301/301 points"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("100%"), shown.rfind("100%")) << "one final bar";
    EXPECT_EQ(shown.back(), '\n');
}

}  // namespace
}  // namespace aqvis::clitest
