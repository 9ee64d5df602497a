// The report file under file-system faults, through the built program: every
// fault is reported as a file error naming the file, the file never holds
// half a line, text already in it is never touched, and the program goes on
// with the next case.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "support/json_lines.h"
#include "support/program.h"

namespace aqvis::hardening {
using namespace aqvis::test;
namespace {

// A header's first line: 45 or 46 blanks, then "  Date mm-dd-yyyy  Time  hh:mm:ss".
bool Is_Date_Line(const std::string& line)
{
    const std::size_t date = line.find_first_not_of(' ');
    if (date != 47 && date != 48) return false;
    const std::string rest = line.substr(date - 2);
    const std::string shape = "  Date 99-99-9999  Time  99:99:99";
    if (rest.size() != shape.size()) return false;
    for (std::size_t k = 0; k < shape.size(); ++k)
        if (shape[k] == '9' ? !std::isdigit(static_cast<unsigned char>(rest[k])) : rest[k] != shape[k])
            return false;
    return true;
}

// `n` batch lines of one solute, each at a temperature of its own.
std::string Cases(const std::string& solute, int n)
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += solute + "," + std::to_string(1 + i % 350) + "." + std::to_string(i / 350) + ",1\n";
    return text;
}

// One complete run's report and its lines, for comparison with faulty runs.
struct Reference {
    std::string header;                // the four header lines with their CR LF
    std::vector<std::string> data;     // the data lines
};

Reference Reference_Run(const std::string& cases_text)
{
    TempDir dir;
    Write_File(dir / "cases.csv", cases_text);
    const ProgramRun r =
        Run_Program({"batch", "cases.csv", "--report", "AQVIS.OUT"}, {.cwd = dir.path()});
    EXPECT_EQ(r.exit_status, 0) << r.err;
    const std::string report = Read_File(dir / "AQVIS.OUT");
    Reference ref;
    std::size_t pos = 0;
    for (int k = 0; k < 4; ++k) pos = report.find("\r\n", pos) + 2;
    ref.header = report.substr(0, pos);
    ref.data = Crlf_Lines(report.substr(pos));
    return ref;
}

// A program that appends to AQVIS.OUT in its working directory, and the
// input files it reads there.
struct Writer {
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> files;
};

void Put_Files(const TempDir& dir, const Writer& w)
{
    for (const auto& [name, text] : w.files) Write_File(dir / name, text);
}

const std::vector<std::string> kGridArgs = {"grid", "N2,CH4", "--temp", "0:350:0.5", "--press",
                                            "0:1000:50", "--threads", "1", "--no-progress",
                                            "--report", "AQVIS.OUT"};
const Writer kBatchN2{{"batch", "n2.csv", "--report", "AQVIS.OUT"}, {{"n2.csv", Cases("N2", 3000)}}};
const Writer kBatchCH4{{"batch", "ch4.csv", "--report", "AQVIS.OUT"}, {{"ch4.csv", Cases("CH4", 1500)}}};
const Writer kGrid{kGridArgs, {}};
const Writer kCalc{{"calc", "N2", "25", "1", "--report", "AQVIS.OUT"}, {}};
const Writer kGridCO2{{"grid", "CO2", "--temp", "0:350:0.5", "--press", "0:1000:50", "--no-progress",
                       "--report", "AQVIS.OUT"},
                      {}};

// The report lines of a writer run alone.
std::vector<std::string> Reference_Lines(const Writer& w)
{
    TempDir dir;
    Put_Files(dir, w);
    const ProgramRun r = Run_Program(w.args, {.cwd = dir.path()});
    EXPECT_EQ(r.exit_status, 0) << r.err;
    return Crlf_Lines(Read_File(dir / "AQVIS.OUT"));
}

// A line of a faulty run against the reference: equal, any date line
// standing for another.
bool Same_Line(const std::string& line, const std::string& reference)
{
    return Is_Date_Line(reference) ? Is_Date_Line(line) : line == reference;
}

// The report after the earlier text holds the reference's first lines, in
// whole CR LF lines and whole headers, and nothing else.
void Expect_Reference_Prefix(const std::string& report, const std::string& earlier,
                             const std::vector<std::string>& reference)
{
    ASSERT_EQ(report.substr(0, earlier.size()), earlier) << "the earlier text changed";
    std::string rest;
    const std::vector<std::string> lines = Crlf_Lines(report.substr(earlier.size()), &rest);
    EXPECT_TRUE(rest.empty()) << "half a line at the end: " << rest.substr(0, 200);
    ASSERT_LE(lines.size(), reference.size());
    std::size_t header = 0;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        ASSERT_TRUE(Same_Line(lines[k], reference[k])) << "line " << k << ": " << lines[k];
        if (Is_Date_Line(lines[k])) header = k;
    }
    if (!lines.empty()) {
        EXPECT_GE(lines.size(), header + 4) << "a header cut short";
    }
}

TEST(ReportFaults, UnwritableWorkingDirectoryFailsTheAcceptWithAFileErrorAndChangesNothing)
{
    TempDir dir;
    Write_File(dir / "notes.txt", "lab notes\n");
    Write_File(dir / "cases.csv", Cases("N2", 2) + Cases("CO2", 1));
    chmod(dir.path().c_str(), 0555);
    if (!Unwritable_For_Program(dir.path())) GTEST_SKIP() << "cannot make a directory unwritable here";

    const ProgramRun one = Run_Program({"calc", "N2", "25", "1", "--json", "--report", "AQVIS.OUT"},
                                       {.cwd = dir.path(), .unprivileged = true});
    EXPECT_EQ(one.exit_status, 1);
    EXPECT_EQ(Kind(one.out), "file_error") << one.out;
    EXPECT_NE(Json_String(one.out, "error").find("AQVIS.OUT"), std::string::npos) << one.out;

    // Every case of a batch meets the same refusal; the batch still ends normally.
    const ProgramRun batch = Run_Program({"batch", "cases.csv", "--json", "--report", "AQVIS.OUT"},
                                         {.cwd = dir.path(), .unprivileged = true});
    EXPECT_EQ(batch.exit_status, 1);
    const std::vector<std::string> lines = Lf_Lines(batch.out);
    ASSERT_EQ(lines.size(), 3u) << batch.out;
    for (const std::string& l : lines) EXPECT_EQ(Kind(l), "file_error") << l;

    EXPECT_EQ(List_Dir(dir.path()), (std::vector<std::string>{"cases.csv", "notes.txt"}));
    EXPECT_EQ(Read_File(dir / "notes.txt"), "lab notes\n");
}

TEST(ReportFaults, ReportThatCannotBeOpenedIsAFileErrorAndStaysAsItWas)
{
    TempDir dir;
    // A read-only report from an earlier run, for a user who may not write it.
    const std::string earlier = "earlier run\r\n";
    Write_File(dir / "AQVIS.OUT", earlier);
    chmod((dir / "AQVIS.OUT").c_str(), 0444);
    if (Unwritable_For_Program(dir.path())) GTEST_SKIP() << "the directory itself is not writable";
    const ProgramRun ro = Run_Program({"calc", "N2", "25", "1", "--json", "--report", "AQVIS.OUT"},
                                      {.cwd = dir.path(), .unprivileged = true});
    EXPECT_EQ(Kind(ro.out), "file_error") << ro.out;
    EXPECT_NE(Json_String(ro.out, "error").find("AQVIS.OUT"), std::string::npos);
    EXPECT_EQ(Read_File(dir / "AQVIS.OUT"), earlier);

    // A report path through a directory that does not exist, a directory
    // where the file should be, and a named pipe nobody reads (which would
    // hold the program for ever): refused at once by every front end.
    mkdir((dir / "AQVIS.DIR").c_str(), 0755);
    mkfifo((dir / "AQVIS.FIFO").c_str(), 0644);
    Write_File(dir / "cases.csv", Cases("N2", 2));
    for (const std::string path : {"missing/AQVIS.OUT", "AQVIS.DIR", "AQVIS.FIFO"}) {
        for (std::vector<std::string> args :
             {std::vector<std::string>{"calc", "N2", "25", "1", "--json"},
              {"batch", "cases.csv", "--json"},
              {"grid", "N2", "--temp", "25,50", "--press", "1"}}) {
            SCOPED_TRACE(args[0] + " --report " + path);
            args.insert(args.end(), {"--report", path});
            const ProgramRun r = Run_Program(args, {.cwd = dir.path(), .time_limit = 60});
            EXPECT_EQ(r.signal, 0);
            EXPECT_NE(r.exit_status, 0);
            const std::string said = r.out + r.err;
            EXPECT_NE(said.find(path), std::string::npos) << said;
            if (path == "AQVIS.FIFO") {
                EXPECT_NE(said.find("named pipe"), std::string::npos) << said;
            }
            if (args[0] != "grid") {
                for (const std::string& l : Lf_Lines(r.out)) EXPECT_EQ(Kind(l), "file_error") << l;
            }
        }
    }
    EXPECT_EQ(List_Dir(dir.path()),
              (std::vector<std::string>{"AQVIS.DIR", "AQVIS.FIFO", "AQVIS.OUT", "cases.csv"}));
    EXPECT_TRUE(List_Dir(dir / "AQVIS.DIR").empty());
}

TEST(ReportFaults, FullDiskIsReportedForEveryCaseAndTheProgramGoesOn)
{
    TempDir dir;
    ASSERT_EQ(symlink("/dev/full", (dir / "AQVIS.OUT").c_str()), 0);
    Write_File(dir / "cases.csv", Cases("N2", 2) + Cases("CH4", 2));
    const ProgramRun r = Run_Program({"batch", "cases.csv", "--json", "--report", "AQVIS.OUT"},
                                     {.cwd = dir.path()});
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.signal, 0);
    const std::vector<std::string> lines = Lf_Lines(r.out);
    ASSERT_EQ(lines.size(), 4u) << r.out;
    for (const std::string& l : lines) {
        EXPECT_EQ(Kind(l), "file_error") << l;
        const std::string error = Json_String(l, "error");
        EXPECT_NE(error.find("AQVIS.OUT"), std::string::npos) << l;
        EXPECT_NE(error.find(std::strerror(ENOSPC)), std::string::npos) << l;
    }
}

// A write that the system cuts short (here by a file size limit, as on a disk
// that fills up in the middle of a line) must not leave the part that went in.
TEST(ReportFaults, WriteCutShortLeavesNoPartOfTheLine)
{
    const std::string cases = Cases("N2", 3);
    const Reference ref = Reference_Run(cases);
    const std::string earlier = "results of an earlier run\r\nno line end at the end";

    struct Cut {
        const char* where;
        long long limit;
        std::string expected;  // the report afterwards
    };
    const Cut cuts[] = {
        {"in the header", static_cast<long long>(earlier.size() + 100), earlier},
        {"in the first data line", static_cast<long long>(earlier.size() + ref.header.size() + 40),
         earlier + ref.header},
        {"in the second data line",
         static_cast<long long>(earlier.size() + ref.header.size() + ref.data[0].size() + 2 + 40),
         earlier + ref.header + ref.data[0] + "\r\n"},
    };
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(cut.where);
        TempDir dir;
        Write_File(dir / "AQVIS.OUT", earlier);
        Write_File(dir / "cases.csv", cases);
        const ProgramRun r =
            Run_Program({"batch", "cases.csv", "--json", "--report", "AQVIS.OUT"},
                        {.cwd = dir.path(), .file_size_limit = cut.limit});
        EXPECT_EQ(r.exit_status, 1);
        const std::string report = Read_File(dir / "AQVIS.OUT");
        // Dates differ from the reference run: compare around the date line.
        ASSERT_EQ(report.size(), cut.expected.size());
        std::string rest;
        Crlf_Lines(report.substr(earlier.size()), &rest);
        EXPECT_TRUE(rest.empty()) << "half a line at the end: " << rest;
        EXPECT_EQ(report.substr(0, earlier.size()), earlier);
        const std::size_t after_date = std::min(report.size(), earlier.size() + ref.header.find("\r\n"));
        EXPECT_EQ(report.substr(after_date), cut.expected.substr(after_date));
        // Every case got its answer; those whose line did not fit name the file.
        const std::vector<std::string> out = Lf_Lines(r.out);
        ASSERT_EQ(out.size(), 3u);
        EXPECT_EQ(Kind(out.back()), "file_error");
        EXPECT_NE(Json_String(out.back(), "error").find("AQVIS.OUT"), std::string::npos);
    }
}

// The same with the signal that a file size limit sends left at its default,
// which ends the program: it must not end it in the middle of a line.
TEST(ReportFaults, FileSizeLimitSignalLeavesNoHalfLine)
{
    const std::string earlier = "results of an earlier run\r\n";
    TempDir dir;
    Write_File(dir / "AQVIS.OUT", earlier);
    const Reference ref = Reference_Run(Cases("N2", 1));
    const long long limit = static_cast<long long>(earlier.size() + ref.header.size() + 40);
    const ProgramRun r = Run_Program({"calc", "N2", "1.0", "1", "--json", "--report", "AQVIS.OUT"},
                                     {.cwd = dir.path(), .file_size_limit = limit,
                                      .ignore_sigxfsz = false});
    EXPECT_EQ(r.signal, 0) << "ended by signal " << r.signal;
    const std::string report = Read_File(dir / "AQVIS.OUT");
    std::string rest;
    Crlf_Lines(report, &rest);
    EXPECT_TRUE(rest.empty()) << "half a line at the end: \"" << rest << "\"";
    EXPECT_EQ(report.size(), earlier.size() + ref.header.size());
}

TEST(ReportFaults, KilledAtAnyMomentLeavesOnlyWholeLines)
{
    for (const Writer* w : {&kBatchN2, &kGrid}) {
        SCOPED_TRACE(w->args[0]);
        const std::vector<std::string> ref = Reference_Lines(*w);
        const std::vector<std::string> calc = Reference_Lines(kCalc);
        ASSERT_GT(ref.size(), 300u);
        const std::string earlier = "earlier\r\n";
        // Kill once the report holds at least this many bytes past the
        // earlier text: inside the header, the first data lines, and later on.
        std::size_t header = 0;
        for (int k = 0; k < 4; ++k) header += ref[k].size() + 2;
        const std::size_t line = ref[4].size() + 2;
        const std::size_t marks[] = {0, header / 3, header + line / 2, header + 7 * line + 13,
                                     header + 200 * line};
        int killed = 0;
        for (const std::size_t mark : marks) {
            SCOPED_TRACE("killed past byte " + std::to_string(mark));
            TempDir dir;
            Write_File(dir / "AQVIS.OUT", earlier);
            Put_Files(dir, *w);
            Started p(w->args, {.cwd = dir.path()});
            const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            struct stat st{};
            while (stat((dir / "AQVIS.OUT").c_str(), &st) == 0 &&
                   static_cast<std::size_t>(st.st_size) < earlier.size() + mark &&
                   std::chrono::steady_clock::now() < give_up)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            p.Kill();
            if (p.Wait().signal == SIGKILL) ++killed;
            // The system may stop a write for a kill only at a page boundary.
            const std::string killed_report = Read_File(dir / "AQVIS.OUT");
            if (!killed_report.ends_with("\r\n")) {
                EXPECT_EQ(killed_report.size() % 4096, 0u) << "a line cut short within a page";
            }
            // The next writer finds whole lines, and adds its own.
            const ProgramRun next = Run_Program(kCalc.args, {.cwd = dir.path()});
            ASSERT_EQ(next.exit_status, 0) << next.err;
            const std::string report = Read_File(dir / "AQVIS.OUT");
            const std::vector<std::string> lines = Crlf_Lines(report);
            ASSERT_GE(lines.size(), calc.size());
            for (std::size_t k = 0; k < calc.size(); ++k)
                EXPECT_TRUE(Same_Line(lines[lines.size() - calc.size() + k], calc[k]));
            std::size_t before_calc = report.size();
            for (const std::string& l : calc) before_calc -= l.size() + 2;
            Expect_Reference_Prefix(report.substr(0, before_calc), earlier, ref);
        }
        EXPECT_GE(killed, 3) << "the program finished before most kills: give it more to do";
    }
}

// Cases fed one by one through a pipe (a script that produces them as it
// goes): each finished case is on disk before the next one comes, so a kill
// at that moment loses nothing that was asked for.
TEST(ReportFaults, BatchFromAPipeWritesEachCaseAsItComes)
{
    TempDir dir;
    Started p({"batch", "-", "--report", "AQVIS.OUT"}, {.cwd = dir.path(), .pipe_input = true});
    p.Send("N2,25,1\n");
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::size_t lines = 0;
    while (lines < 5 && std::chrono::steady_clock::now() < give_up) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (access((dir / "AQVIS.OUT").c_str(), F_OK) == 0)
            lines = Crlf_Lines(Read_File(dir / "AQVIS.OUT")).size();
    }
    EXPECT_EQ(lines, 5u) << "the case sent 10 s ago is not in the report";
    p.Kill();
    p.Wait();
}

TEST(ReportFaults, TwoProgramsAppendingAtOnceWriteWholeLinesInTheirOwnOrder)
{
    const std::pair<const Writer*, const Writer*> pairs[] = {{&kBatchN2, &kBatchCH4},
                                                             {&kBatchCH4, &kGridCO2}};
    for (const auto& [wa, wb] : pairs) {
        SCOPED_TRACE(wa->args[0] + " and " + wb->args[0]);
        const std::vector<std::string> a = Reference_Lines(*wa), b = Reference_Lines(*wb);
        TempDir dir;
        const std::string earlier = "earlier\r\n";
        Write_File(dir / "AQVIS.OUT", earlier);
        Put_Files(dir, *wa);
        Put_Files(dir, *wb);
        {
            Started pa(wa->args, {.cwd = dir.path()});
            Started pb(wb->args, {.cwd = dir.path()});
            EXPECT_EQ(pa.Wait().exit_status, 0);
            EXPECT_EQ(pb.Wait().exit_status, 0);
        }
        const std::string report = Read_File(dir / "AQVIS.OUT");
        ASSERT_EQ(report.substr(0, earlier.size()), earlier);
        std::string rest;
        const std::vector<std::string> lines = Crlf_Lines(report.substr(earlier.size()), &rest);
        EXPECT_TRUE(rest.empty());

        // Each unit (a four-line header or a data line) continues the one
        // program or the other.
        std::size_t ia = 0, ib = 0;
        for (std::size_t k = 0; k < lines.size();) {
            const std::size_t n = Is_Date_Line(lines[k]) ? 4 : 1;
            ASSERT_LE(k + n, lines.size());
            const auto continues = [&](const std::vector<std::string>& ref, std::size_t i) {
                if (i + n > ref.size()) return false;
                for (std::size_t j = 0; j < n; ++j)
                    if (!Same_Line(lines[k + j], ref[i + j])) return false;
                return true;
            };
            if (continues(a, ia))
                ia += n;
            else if (continues(b, ib))
                ib += n;
            else
                FAIL() << "line " << k << " belongs to neither program: " << lines[k];
            k += n;
        }
        EXPECT_EQ(ia, a.size());
        EXPECT_EQ(ib, b.size());
    }
}

TEST(ReportFaults, EarlierTextIsKeptByteForByteAndTheNewHeaderFollowsIt)
{
    // Anything at all: every byte value, a lone CR, a line end of another
    // system, and no line end at the very end.
    std::string earlier = "report of another program\n\rCR alone\r";
    for (int c = 0; c < 256; ++c) earlier += static_cast<char>(c);
    for (int k = 0; k < 4000; ++k) earlier += static_cast<char>((k * 7919) % 251);
    earlier += "last line without an end";

    TempDir dir;
    Write_File(dir / "AQVIS.OUT", earlier);
    for (int run = 1; run <= 2; ++run) {
        const ProgramRun r = Run_Program({"calc", "N2", "25", "1", "--report", "AQVIS.OUT"},
                                         {.cwd = dir.path()});
        ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
    }
    const std::string report = Read_File(dir / "AQVIS.OUT");
    ASSERT_GT(report.size(), earlier.size());
    EXPECT_TRUE(report.compare(0, earlier.size(), earlier) == 0) << "the earlier text changed";
    const std::vector<std::string> lines = Crlf_Lines(report.substr(earlier.size()));
    ASSERT_EQ(lines.size(), 10u);  // two runs of a header and one data line
    EXPECT_TRUE(Is_Date_Line(lines[0])) << lines[0];
    EXPECT_TRUE(Is_Date_Line(lines[5])) << lines[5];
    EXPECT_EQ(lines[4], lines[9]);
}

// A grid writing its report meets the faults a user's shell and disk throw
// at it; the report keeps its earlier text and then whole lines only, the
// same lines as a grid that ran undisturbed.
TEST(ReportFaults, GridUnderFaultsLeavesOnlyWholeLines)
{
    const std::vector<std::string> ref = Reference_Lines(kGrid);
    std::string grid = "\"$AQVIS\"";
    for (const std::string& a : kGridArgs) grid += " " + a;
    struct Fault {
        const char* what;
        std::string script;
        bool names_the_report;  // a message on standard error names AQVIS.OUT
    };
    const Fault faults[] = {
        {"a file size limit", "ulimit -f 20 && " + grid + " >/dev/null", true},
        {"a closed pipe", grid + " | head -1", false},
        // A small file system of its own that fills up, in a mount namespace
        // so that nothing stays mounted: 77 when this machine cannot do it.
        {"a full disk",
         "mkdir disk && unshare -m sh -c 'mount -t tmpfs -o size=256k tmpfs disk || exit 77; "
         "cp AQVIS.OUT disk/ && cd disk && " + grid + " >/dev/null; s=$?; cp AQVIS.OUT ..; exit $s'",
         true},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.what);
        TempDir dir;
        const std::string earlier = "earlier\r\n";
        Write_File(dir / "AQVIS.OUT", earlier);
        const ProgramRun r = Run_Shell(f.script, {.cwd = dir.path(), .time_limit = 120});
        if (r.exit_status == 77) {
            std::printf("skipped: %s (%s)\n", f.what, r.err.c_str());
            continue;
        }
        EXPECT_EQ(r.signal, 0);
        const std::string report = Read_File(dir / "AQVIS.OUT");
        EXPECT_LT(report.size(), 1000000u) << "the fault did not stop the report";
        Expect_Reference_Prefix(report, earlier, ref);
        if (f.names_the_report) {
            EXPECT_NE(r.exit_status, 0);
            EXPECT_NE(r.err.find("AQVIS.OUT"), std::string::npos) << r.err;
        }
    }
}

// A program started with standard input, output or error closed: what it
// writes there (rows, summaries, messages) must never land in the report.
TEST(ReportFaults, ClosedStandardStreamsNeverReachTheReport)
{
    struct Closed {
        const char* what;
        std::vector<std::string> args;
        std::string input;
        std::vector<int> closed;
    };
    const std::vector<std::string> grid = {"grid", "N2", "--temp", "25,50", "--press", "1",
                                           "--report", "AQVIS.OUT"};
    const std::vector<std::string> batch = {"batch", "-", "--report", "AQVIS.OUT"};
    const std::string cases = "N2,25,1\nN2,400,0\nXX,25,1\nN2,50,1\n";
    const Closed runs[] = {
        {"grid rows", grid, "", {1}},
        {"grid, all three", grid, "", {0, 1, 2}},
        {"batch summaries", batch, cases, {1}},
        {"batch messages", batch, cases, {2}},
        {"calc message", {"calc", "N2", "400", "0", "--report", "AQVIS.OUT"}, "", {1, 2}},
    };
    for (const Closed& c : runs) {
        SCOPED_TRACE(c.what);
        TempDir ref_dir;
        Run_Program(c.args, {.cwd = ref_dir.path(), .input = c.input});
        const std::vector<std::string> ref = Crlf_Lines(Read_File(ref_dir / "AQVIS.OUT"));
        TempDir dir;
        const ProgramRun r =
            Run_Program(c.args, {.cwd = dir.path(), .input = c.input, .closed = c.closed});
        EXPECT_EQ(r.signal, 0);
        Expect_Reference_Prefix(Read_File(dir / "AQVIS.OUT"), "", ref);
    }
}

// Another program holds the report's lock and does not let go (stopped with
// kill -STOP while appending): the wait for it ends after a few seconds with
// a file error that says so, and does not start again for every case.
TEST(ReportFaults, ReportLockedByAStoppedProgramIsAFileError)
{
    const Writer writers[] = {
        {{"batch", "cases.csv", "--json", "--report", "AQVIS.OUT"}, {{"cases.csv", Cases("N2", 3)}}},
        {{"grid", "N2", "--temp", "25,50", "--press", "1", "--report", "AQVIS.OUT"}, {}},
    };
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.args[0]);
        TempDir dir;
        const std::string earlier = "earlier\r\n";
        Write_File(dir / "AQVIS.OUT", earlier);
        Put_Files(dir, w);
        const int stopped = open((dir / "AQVIS.OUT").c_str(), O_WRONLY | O_APPEND);
        ASSERT_EQ(flock(stopped, LOCK_EX), 0);
        const ProgramRun r = Run_Program(w.args, {.cwd = dir.path(), .time_limit = 60});
        close(stopped);
        EXPECT_EQ(r.signal, 0);
        EXPECT_EQ(r.exit_status, 1);
        EXPECT_NE((r.out + r.err).find("AQVIS.OUT: another program holds it"), std::string::npos)
            << r.out << r.err;
        if (w.args[0] == "batch") {
            const std::vector<std::string> lines = Lf_Lines(r.out);
            ASSERT_EQ(lines.size(), 3u);
            for (const std::string& l : lines) EXPECT_EQ(Kind(l), "file_error") << l;
        }
        EXPECT_EQ(Read_File(dir / "AQVIS.OUT"), earlier);
    }
}

}  // namespace
}  // namespace aqvis::hardening
