// The plot module (Qt) is loaded only to draw: aqvis-cli without --plot
// loads no Qt library.  A module that is missing, is no library or is
// another library makes a plot fail with "cannot draw the plot" and exit
// status 1 before any point is computed, never an abort.

#include <gtest/gtest.h>

#include <filesystem>

#include <string>
#include <vector>

#include "cli_support.h"

namespace aqvis::clitest {
namespace {

#ifdef AQVIS_PLOT_MODULE_PATH

const char* const kData = "temp,press,property,value\n25,0,lnkH,11.3\n100,0,lnkH,11.6\n200,0,lnkH,10.9\n";

TEST(PlotModule, QtIsLoadedOnlyToDraw)
{
    struct Case {
        std::vector<std::string> args;
        bool draws;
    };
    const Case cases[] = {
        {{"calc", "N2", "25", "1"}, false},
        {{"calc", "N2", "25", "1", "--json"}, false},
        {{"grid", "N2,CO2", "--temp", "0:100:50", "--press", "0,1"}, false},
        {{"solubility", "N2", "--temp", "25", "--press", "10"}, false},
        {{"list"}, false},
        {{"grid", "N2", "--temp", "0:100:50", "--press", "1", "--plot", "p.svg"}, true},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const test::ProgramRun r = test::Run_Program(c.args, {.cwd = dir.path(), .env = {"LD_DEBUG=files"}});
        ASSERT_EQ(r.exit_status, 0) << c.args[0] << ": " << r.err.substr(0, 2000);
        // The loader names every object it opens ("file=libQt6Gui.so.6").
        EXPECT_EQ(r.err.find("file=libQt6") != std::string::npos, c.draws) << c.args[0];
    }
}

TEST(PlotModule, AModuleThatCannotBeLoadedFailsThePlotNotTheProgram)
{
    // The module's place beside a copy of the program, and what is put there.
    const std::string module = std::string("t/bin/") + AQVIS_PLOT_MODULE_RELATIVE;
    const std::string setup = "mkdir -p t/bin \"$(dirname " + module + ")\" && cp \"$AQVIS\" t/bin/aqvis-cli && ";
    const struct {
        const char* what;
        std::string put;
    } modules[] = {
        {"missing", ":"},
        {"not a library", "printf 'not a library' > " + module},
        {"empty", ": > " + module},
        {"another library", std::string("cp ") + AQVIS_OTHER_MODULE_PATH + " " + module},
    };
    const char* const commands[] = {
        "t/bin/aqvis-cli grid N2 --temp 0:100:50 --press 1 --csv --plot p.svg",
        "t/bin/aqvis-cli fit N2 data.csv --plot p.png",
        "t/bin/aqvis-cli solubility N2 --temp 25 --press 10 --plot p.svg",
    };
    for (const auto& m : modules)
        for (const char* command : commands) {
            SCOPED_TRACE(std::string(m.what) + ": " + command);
            test::TempDir dir;
            test::Write_File(dir / "data.csv", kData);
            const test::ProgramRun r =
                test::Run_Shell(setup + m.put + " && " + command + "; echo \"status $?\" >&2", {.cwd = dir.path()});
            EXPECT_EQ(r.out, "");  // nothing computed
            EXPECT_NE(r.err.find("aqvis-cli: cannot draw the plot: "), std::string::npos) << r.err;
            EXPECT_NE(r.err.find("status 1"), std::string::npos) << r.err;
            EXPECT_FALSE(std::filesystem::exists(dir / "p.svg") || std::filesystem::exists(dir / "p.png"));
        }
}

#endif

}  // namespace
}  // namespace aqvis::clitest
