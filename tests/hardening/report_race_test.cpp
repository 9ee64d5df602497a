// A failed append next to another program appending to the same report.
//
// The test executable is linked with -Wl,--wrap=write, so the report writer's
// write(2) calls pass through Wrapped_Write below, which can stage a disk that
// fills up in the middle of a line while another program appends its own line.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "driver/case_runner.h"
#include "core/errors.h"
#include "support/program.h"
#include "results/report.h"

extern "C" ssize_t __real_write(int fd, const void* buf, size_t n);

namespace {

struct StagedFault {
    bool armed = false;
    int calls = 0;
    std::string path;        // the report file
    std::string other_line;  // the other program's line
    bool other_waiting = false;
    bool other_done = false;
};
StagedFault g_fault;

// The other program appends its line as a well-behaved writer of the report
// does: under an exclusive lock on the file.  When the lock is held it waits,
// which here means it writes once the writer under test is done.
void Other_Program_Appends(bool may_wait)
{
    if (g_fault.other_done) return;
    const int fd = open(g_fault.path.c_str(), O_WRONLY | O_APPEND);
    if (fd < 0) return;
    if (flock(fd, may_wait ? LOCK_EX : LOCK_EX | LOCK_NB) == 0) {
        __real_write(fd, g_fault.other_line.data(), g_fault.other_line.size());
        flock(fd, LOCK_UN);
        g_fault.other_done = true;
        g_fault.other_waiting = false;
    } else {
        g_fault.other_waiting = true;
    }
    close(fd);
}

}  // namespace

extern "C" ssize_t __wrap_write(int fd, const void* buf, size_t n)
{
    if (!g_fault.armed) return __real_write(fd, buf, n);
    // First call: the other program gets in, then the disk takes only part
    // of the line.  Next call: the disk is full.
    Other_Program_Appends(false);
    if (++g_fault.calls == 1) return __real_write(fd, buf, std::min<size_t>(n, 40));
    errno = ENOSPC;
    return -1;
}

namespace aqvis::hardening {
using namespace aqvis::test;
namespace {

TEST(ReportRace, FailedAppendLeavesTheOtherProgramsLine)
{
    TempDir dir;
    const std::string path = dir / "AQVIS.OUT";
    const CaseResult c = Run_Case(Prepare_Solute(*Find_Solute("N2")), 25.0, 1.0);
    ASSERT_TRUE(c.ok) << c.error;

    ReportFile report(path);
    report.Open_Report(c.values);
    const std::string before = Read_File(path);

    g_fault = {};
    g_fault.path = path;
    g_fault.other_line = "a whole line of another program\r\n";
    g_fault.armed = true;
    try {
        report.Append_Result_Line(c.values, c.derived);
        ADD_FAILURE() << "the append on a full disk did not fail";
    } catch (const CalcError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::FileError) << e.what();
    }
    g_fault.armed = false;
    if (g_fault.other_waiting) Other_Program_Appends(true);
    ASSERT_TRUE(g_fault.other_done);

    // Nothing of the failed line, all of the other program's.
    EXPECT_EQ(Read_File(path), before + g_fault.other_line);
}

}  // namespace
}  // namespace aqvis::hardening
