// Writes that fail: standard output that is full, closed or has lost its
// reader, and a grid's report.  The program says so on standard error and
// ends with status 1; a reader that went away ends it quietly and at once.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_support.h"

namespace aqvis::clitest {
namespace {

TEST(Output, AWriteThatFailsIsAnErrorForEveryCommand)
{
    const std::vector<std::vector<std::string>> commands = {
        {"list"},
        {"--help"},
        {"calc", "N2", "25", "1"},
        {"calc", "N2", "25", "1", "--json"},
        {"batch"},
        {"grid", "N2", "--temp", "25,50", "--press", "1"},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args.front());
        const Outcome full = run(args, "N2,25,1\n", {.output = "/dev/full"});
        EXPECT_EQ(full.rc, 1);
        EXPECT_NE(full.err.find("aqvis-cli: cannot write the output: No space left on device"),
                  std::string::npos) << full.err;
        const Outcome closed = run(args, "N2,25,1\n", {.closed = {1}});
        EXPECT_EQ(closed.rc, 1);
        EXPECT_NE(closed.err.find("aqvis-cli: cannot write the output: "), std::string::npos)
            << closed.err;
    }
}

TEST(Output, AReaderThatWentAwayEndsTheBatchQuietlyAndAtOnce)
{
    test::TempDir dir;
    std::string cases;
    for (int k = 0; k < 5000; ++k) cases += "N2,25,1\n";
    test::Write_File(dir / "cases.csv", cases);
    // As `(trap '' PIPE; aqvis-cli batch cases.csv --report R | head -1)`.
    const Outcome o = run({"batch", "cases.csv", "--report", "R"}, "",
                          {.cwd = dir.path(), .output = test::kNoReader, .ignore_sigpipe = true});
    EXPECT_EQ(o.rc, 1);
    EXPECT_EQ(o.err, "");
    // The header and the lines of the cases computed before the first write
    // failed: far fewer than all of them.
    const std::size_t lines = test::Crlf_Lines(test::Read_File(dir / "R")).size();
    EXPECT_GT(lines, 4u);
    EXPECT_LT(lines, 1000u);
}

TEST(Output, GridReportThatCannotBeWrittenKeepsTheRowsAndSaysWhy)
{
    test::TempDir dir;
    // The header fits below the file size limit, the data lines do not.
    const Outcome o = run({"grid", "N2", "--temp", "0:100:10", "--press", "1", "--report", "R"}, "",
                          {.cwd = dir.path(), .file_size_limit = 1000});
    EXPECT_EQ(o.rc, 1);
    EXPECT_EQ(lines(o.out).size(), 12u) << o.out;
    EXPECT_NE(o.err.find("report file R: File too large"), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find("rows"), std::string::npos) << o.err;
    std::string rest;
    test::Crlf_Lines(test::Read_File(dir / "R"), &rest);
    EXPECT_EQ(rest, "");

    // A report that cannot be opened is a file error, as for calc and batch.
    const Outcome unopenable = run({"grid", "N2", "--temp", "25", "--press", "1", "--report",
                                    dir / "no-such-dir/R"});
    EXPECT_EQ(unopenable.rc, 1);
    EXPECT_EQ(unopenable.out, "");
    EXPECT_NE(unopenable.err.find("no-such-dir/R"), std::string::npos) << unopenable.err;
    EXPECT_EQ(unopenable.err.find("--help"), std::string::npos) << unopenable.err;
}

}  // namespace
}  // namespace aqvis::clitest
