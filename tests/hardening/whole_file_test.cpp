// Files replaced whole (a catalogue updated by `fit --save`, a plot) under
// the faults of a file system: writers at once, owners and modes, symbolic
// links, read-only files; runs stopped by a signal; a plot Qt cannot draw.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "support/program.h"

namespace aqvis::test {
namespace {

const std::string kData = "temp,press,property,value\n25,0,lnkH,11\n100,0,lnkH,11.5\n200,0,lnkH,10.5\n300,0,lnkH,9\n";
const std::string kTitle = "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\n";

int records(const std::string& catalogue)
{
    int n = -1;  // the title line
    for (std::size_t at = 0; at < catalogue.size(); at = catalogue.find('\n', at) + 1) {
        n += catalogue[at] != '#';  // a record's note is no record
        if (catalogue.find('\n', at) == std::string::npos) break;
    }
    return n;
}

// Eight fits saving into one catalogue at the same time: each reads and
// replaces it under the lock, so every record is there.
TEST(WholeFile, FitsSavingIntoOneCatalogueAtOnceKeepEveryRecord)
{
    for (int round = 0; round < 3; ++round) {
        TempDir dir;
        Write_File(dir / "data.csv", kData);
        const ProgramRun r = Run_Shell(
            "for s in N2 O2 CO2 Ar H2 CH4 NH3 Ne; do \"$AQVIS\" fit $s data.csv --save cat.csv >/dev/null & done; "
            "wait",
            {.cwd = dir.path(), .time_limit = 120});
        ASSERT_EQ(r.exit_status, 0) << r.err;
        EXPECT_EQ(records(Read_File(dir / "cat.csv")), 8) << Read_File(dir / "cat.csv");
    }
}

struct Writer {
    const char* what;
    std::vector<std::string> args;  // writes `out`
    std::string out;
};

const Writer kWriters[] = {
    {"fit --save", {"fit", "N2", "data.csv", "--save", "out.csv"}, "out.csv"},
    {"grid --plot", {"grid", "N2", "--temp", "0:100:50", "--press", "1", "--plot", "out.svg"}, "out.svg"},
};

// Owner, group and mode of a replaced file stay; through a link the file it
// names is written (a dangling link's target is made); a read-only file is
// refused and left as it is.
TEST(WholeFile, ReplacedFilesKeepOwnerModeAndLinksAndReadOnlyFilesAreRefused)
{
    const bool root = ::geteuid() == 0;
    for (const Writer& w : kWriters) {
        SCOPED_TRACE(w.what);
        const std::string earlier = kTitle + "Xe,0,1,2,3,4,5,6,7\n";
        {  // owner, group and mode
            TempDir dir;
            Write_File(dir / "data.csv", kData);
            Write_File(dir / w.out, earlier);
            ASSERT_EQ(::chmod((dir / w.out).c_str(), 0640), 0);
            if (root) ASSERT_EQ(::chown((dir / w.out).c_str(), 1234, 2345), 0);
            const ProgramRun r = Run_Program(w.args, {.cwd = dir.path()});
            EXPECT_EQ(r.exit_status, 0) << r.err;
            struct stat st {};
            ASSERT_EQ(::stat((dir / w.out).c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, 0640u);
            if (root) EXPECT_EQ(st.st_uid, 1234u);
            if (root) EXPECT_EQ(st.st_gid, 2345u);
            EXPECT_NE(Read_File(dir / w.out), earlier);
        }
        for (const bool dangling : {false, true}) {  // through a relative link
            TempDir dir;
            Write_File(dir / "data.csv", kData);
            ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0755), 0);
            if (!dangling) Write_File(dir / ("sub/" + w.out), earlier);
            ASSERT_EQ(::symlink(("sub/" + w.out).c_str(), (dir / w.out).c_str()), 0);
            const ProgramRun r = Run_Program(w.args, {.cwd = dir.path()});
            EXPECT_EQ(r.exit_status, 0) << r.err;
            struct stat st {};
            ASSERT_EQ(::lstat((dir / w.out).c_str(), &st), 0);
            EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
            const std::string written = Read_File(dir / ("sub/" + w.out));
            EXPECT_FALSE(written.empty());
            EXPECT_NE(written, earlier);
        }
        {  // read-only
            TempDir dir;
            Write_File(dir / "data.csv", kData);
            Write_File(dir / w.out, earlier);
            ASSERT_EQ(::chmod((dir / w.out).c_str(), 0444), 0);
            const ProgramRun r = Run_Program(w.args, {.cwd = dir.path()});
            EXPECT_EQ(r.exit_status, 1);
            EXPECT_NE(r.err.find("read-only"), std::string::npos) << r.err;
            EXPECT_EQ(Read_File(dir / w.out), earlier);
        }
    }
}

// Every row of `text` is whole: the text ends in a line end, every CSV row
// has as many fields as the title, every JSON line reads.
void expect_whole_rows(const std::string& text, bool json)
{
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n') << "the last row is cut short";
    std::size_t start = 0, fields = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (json) {
            EXPECT_TRUE(nlohmann::json::accept(line)) << "a row cut short: " << line;
        } else {
            const std::size_t n = static_cast<std::size_t>(std::count(line.begin(), line.end(), ','));
            if (start == 0) fields = n;
            EXPECT_EQ(n, fields) << "a row cut short: " << line;
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

// SIGINT, SIGTERM or SIGHUP during a long grid (of cases or of solubility)
// or batch: the rows written are whole, and the program ends by that signal.  A batch waiting for input
// with everything written ends at once.
TEST(StopSignals, GridAndBatchStoppedBySignalLeaveWholeRowsAndTheSignalsStatus)
{
    const struct {
        const char* what;
        std::vector<std::string> args;
        bool json, waits;
    } runs[] = {
        {"grid", {"grid", "all", "--temp", "0:350:0.01", "--press", "1,100", "--threads", "2"}, false, false},
        {"solubility", {"solubility", "CO2", "--temp", "0:300:0.01", "--press", "1,100", "--threads", "2"}, false, false},
        {"batch", {"batch", "cases.csv", "--json"}, true, false},
        {"batch from a pipe", {"batch", "--json"}, true, true},
    };
    std::string cases;
    for (int i = 0; i < 200000; ++i) cases += "N2," + std::to_string(i % 300) + ",1\n";
    for (const auto& run : runs)
        for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
            SCOPED_TRACE(std::string(run.what) + ", signal " + std::to_string(sig));
            TempDir dir;
            Write_File(dir / "cases.csv", cases);
            Started p(run.args, {.cwd = dir.path(), .pipe_input = run.waits, .output = dir / "out.txt"});
            if (run.waits) {
                p.Send("N2,25,1\n");
                ::usleep(300000);
            } else {
                std::error_code ec;
                for (int k = 0; k < 6000 && !(std::filesystem::file_size(dir / "out.txt", ec) >= 300000 && !ec); ++k)
                    ::usleep(10000);
            }
            p.Signal(sig);
            const ProgramRun r = p.Wait();
            EXPECT_EQ(r.signal, sig);
            expect_whole_rows(Read_File(dir / "out.txt"), run.json);
        }
}

// Qt cannot start its platform plugin without file descriptors to spare:
// the plot cannot be drawn, the program says so and ends with status 1
// (it used to abort); the rows and the fit written before are there.
// The sanitizers' own runtime needs descriptors too, so the limit is tried in
// the ordinary build only.
#ifndef __SANITIZE_ADDRESS__
TEST(WholeFile, APlotQtCannotDrawIsAFailureNotAnAbort)
{
    // The shell sets up the output first: past the limit it cannot redirect.
    for (const std::string command :
         {"(exec 3>&- 4>&- 5>&- 6>&-; ulimit -n 4 && exec \"$AQVIS\" grid N2 --temp 0:100:50 --press 1 --plot p.svg --csv) > rows.csv",
          "(exec 3>&- 4>&- 5>&- 6>&-; ulimit -n 4 && exec \"$AQVIS\" fit N2 data.csv --save cat.csv --plot p.png) > fit.txt"}) {
        SCOPED_TRACE(command);
        TempDir dir;
        Write_File(dir / "data.csv", kData);
        const ProgramRun r = Run_Shell(command, {.cwd = dir.path()});
        EXPECT_EQ(r.signal, 0);
        EXPECT_EQ(r.exit_status, 1) << r.err;
        EXPECT_NE(r.err.find("cannot draw the plot"), std::string::npos) << r.err;
        if (command.find("grid") != std::string::npos)
            EXPECT_EQ(records(Read_File(dir / "rows.csv")), 3);
        else
            EXPECT_TRUE(Read_File(dir / "fit.txt").starts_with("Fit of N2"));
    }
}
#endif

}  // namespace
}  // namespace aqvis::test
