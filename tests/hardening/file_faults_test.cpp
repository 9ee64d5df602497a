// The report file under file-system faults, through the built program: every
// fault is reported as a file error naming the file, the file never holds
// half a line, text already in it is never touched, and the program goes on
// with the next case.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
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

    // A report path through a directory that does not exist, and a directory
    // where the file should be.
    mkdir((dir / "AQVIS.DIR").c_str(), 0755);
    for (const std::string path : {"missing/AQVIS.OUT", "AQVIS.DIR"}) {
        const ProgramRun r = Run_Program({"calc", "N2", "25", "1", "--json", "--report", path},
                                         {.cwd = dir.path()});
        EXPECT_EQ(r.exit_status, 1) << path;
        EXPECT_EQ(Kind(r.out), "file_error") << r.out;
        EXPECT_NE(Json_String(r.out, "error").find(path), std::string::npos) << r.out;
    }
    EXPECT_EQ(List_Dir(dir.path()), (std::vector<std::string>{"AQVIS.DIR", "AQVIS.OUT"}));
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

TEST(ReportFaults, KilledAtAnyMomentLeavesOnlyWholeLinesOfFinishedCases)
{
    const std::string cases = Cases("N2", 3000);
    const Reference ref = Reference_Run(cases);
    const std::string earlier = "earlier\r\n";
    // Kill once the report holds at least this many bytes past the earlier
    // text: inside the first data lines, and later on.
    const std::size_t line = ref.data[0].size() + 2;
    const std::size_t marks[] = {0, ref.header.size() + 1, ref.header.size() + line / 2,
                                 ref.header.size() + 7 * line + 13, ref.header.size() + 200 * line};
    int killed = 0;
    for (const std::size_t mark : marks) {
        SCOPED_TRACE("killed past byte " + std::to_string(mark));
        TempDir dir;
        Write_File(dir / "AQVIS.OUT", earlier);
        Write_File(dir / "cases.csv", cases);
        Started p({"batch", "cases.csv", "--report", "AQVIS.OUT"}, {.cwd = dir.path()});
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        struct stat st{};
        while (stat((dir / "AQVIS.OUT").c_str(), &st) == 0 &&
               static_cast<std::size_t>(st.st_size) < earlier.size() + mark &&
               std::chrono::steady_clock::now() < give_up)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        p.Kill();
        const ProgramRun r = p.Wait();
        if (r.signal == SIGKILL) ++killed;

        const std::string report = Read_File(dir / "AQVIS.OUT");
        ASSERT_EQ(report.substr(0, earlier.size()), earlier);
        std::string rest;
        const std::vector<std::string> lines = Crlf_Lines(report.substr(earlier.size()), &rest);
        EXPECT_TRUE(rest.empty()) << "half a line at the end: " << rest;
        if (lines.empty()) continue;
        ASSERT_GE(lines.size(), 4u);
        EXPECT_TRUE(Is_Date_Line(lines[0]));
        const std::vector<std::string> data(lines.begin() + 4, lines.end());
        ASSERT_LE(data.size(), ref.data.size());
        for (std::size_t k = 0; k < data.size(); ++k)
            ASSERT_EQ(data[k], ref.data[k]) << "data line " << k;
    }
    EXPECT_GE(killed, 3) << "the program finished before most kills: make the batch longer";
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
    const std::string a_cases = Cases("N2", 1500), b_cases = Cases("CH4", 1500);
    const Reference a = Reference_Run(a_cases), b = Reference_Run(b_cases);
    TempDir dir;
    const std::string earlier = "earlier\r\n";
    Write_File(dir / "AQVIS.OUT", earlier);
    Write_File(dir / "a.csv", a_cases);
    Write_File(dir / "b.csv", b_cases);
    {
        Started pa({"batch", "a.csv", "--report", "AQVIS.OUT"}, {.cwd = dir.path()});
        Started pb({"batch", "b.csv", "--report", "AQVIS.OUT"}, {.cwd = dir.path()});
        EXPECT_EQ(pa.Wait().exit_status, 0);
        EXPECT_EQ(pb.Wait().exit_status, 0);
    }
    const std::string report = Read_File(dir / "AQVIS.OUT");
    ASSERT_EQ(report.substr(0, earlier.size()), earlier);
    std::string rest;
    const std::vector<std::string> lines = Crlf_Lines(report.substr(earlier.size()), &rest);
    EXPECT_TRUE(rest.empty());

    // Merge: each line continues the one program or the other.
    std::size_t ia = 0, ib = 0, headers = 0, switches = 0;
    char last = 0;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (Is_Date_Line(lines[k])) {
            ASSERT_LE(k + 4, lines.size());
            const std::string component = lines[k + 1];
            EXPECT_TRUE(component == Crlf_Lines(a.header)[1] || component == Crlf_Lines(b.header)[1])
                << component;
            EXPECT_EQ(lines[k + 2], Crlf_Lines(a.header)[2]);
            EXPECT_EQ(lines[k + 3], Crlf_Lines(a.header)[3]);
            ++headers;
            k += 3;
            continue;
        }
        char who = 0;
        if (ia < a.data.size() && lines[k] == a.data[ia]) {
            who = 'a';
            ++ia;
        } else if (ib < b.data.size() && lines[k] == b.data[ib]) {
            who = 'b';
            ++ib;
        } else {
            FAIL() << "line " << k << " belongs to neither program: " << lines[k];
        }
        if (last && who != last) ++switches;
        last = who;
    }
    EXPECT_EQ(headers, 2u);
    EXPECT_EQ(ia, a.data.size());
    EXPECT_EQ(ib, b.data.size());
    RecordProperty("switches_between_programs", static_cast<int>(switches));
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

}  // namespace
}  // namespace aqvis::hardening
