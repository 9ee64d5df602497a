// `aqvis-cli batch [FILE|-]`: one case per CSV line, one output line per
// case in input order; a failed case is reported in its line and the batch
// goes on.

#include <CLI/CLI.hpp>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch_lines.h"
#include "cli/case_report.h"
#include "cli/cases.h"
#include "cli/command.h"
#include "cli/rows.h"

namespace aqvis::cli {

namespace {

// The text of a temperature or pressure field: exactly empty keeps its
// meaning (0 degC, 1 bar); blanks and tabs around a number are dropped; a
// field of blanks alone is kept as it is, and is not a number.
void number_field(std::string_view field, std::string& out)
{
    const std::string_view t = Trimmed(field);
    out = t.empty() ? field : t;
}

class BatchCommand : public Command {
public:
    void Declare(CLI::App& sub) override
    {
        sub.add_option("FILE", file_,
                       "CSV file of cases, one per line: solute,temp,press[,xi,a,b]; "
                       "'-' or none: standard input")
            ->type_name("");
    }

    int Run(const SharedOptions& shared, Streams& io) override
    {
        std::FILE* src = io.in;
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> owned(nullptr, std::fclose);
        std::string name = "standard input";
        if (file_ && *file_ != "-") {
            name = *file_;
            owned.reset(std::fopen(name.c_str(), "rb"));
            if (!owned) {
                Print_Diagnostic(io.err, "cannot read " + name + ": " + std::strerror(errno));
                return 2;
            }
            src = owned.get();
        }
        std::optional<CaseReport> report;
        if (shared.report) report.emplace(*shared.report);

        // Cases fed through a pipe are computed, and their lines written, as
        // they come.
        struct stat st {};
        const bool streaming = ::fstat(fileno(src), &st) != 0 || !S_ISREG(st.st_mode);

        int status = 0;
        std::string text, line;
        bool too_long = false, seen_case_line = false;
        LineReader reader(src);
        // Kept from case to case, so that a case allocates nothing once the
        // first few have run.
        CaseRun run;
        CaseInput c;
        std::string solute;
        std::vector<std::string_view> f;
        PreparedSolutes prepared;
        try {
            while (reader.Next(line, too_long)) {
                if (too_long) {
                    Clear_Case_Run(run);
                    solute = std::string(Trimmed(Csv_Fields(line).front()).substr(0, 100));
                    run.result.kind = ErrorKind::TypeMismatch;
                    run.result.error = "Type mismatch: the line is longer than " +
                                       std::to_string(LineReader::kMaxLine) + " bytes";
                } else {
                    const std::string_view t = Trimmed(line);
                    if (t.empty() || t[0] == '#') continue;
                    Csv_Fields(line, f);
                    if (!seen_case_line) {
                        seen_case_line = true;
                        if (Is_Title_Line(f)) continue;
                    }
                    solute = Trimmed(f[0]);
                    if (f.size() != 3 && f.size() != 6) {
                        Clear_Case_Run(run);
                        run.result.kind = ErrorKind::TypeMismatch;
                        run.result.error = "Type mismatch: a batch line is solute,temp,press[,xi,a,b]";
                    } else {
                        c.solute = solute;
                        number_field(f[1], c.temp);
                        number_field(f[2], c.press);
                        if (f.size() == 6) {
                            c.xi = Trimmed(f[3]);
                            c.a = Trimmed(f[4]);
                            c.b = Trimmed(f[5]);
                        } else {
                            c.xi.reset();
                            c.a.reset();
                            c.b.reset();
                        }
                        Run_Text_Case(c, shared.Find(c.solute), run, prepared);
                        if (report) report->Record(run);
                    }
                }
                if (!run.result.ok) status = 1;
                if (shared.json)
                    Append_Json_Line(text, run.result, solute);
                else
                    Append_Summary_Line(text, run.result, solute);
                if (streaming || text.size() > (1 << 16)) {
                    io.out.Write(text);
                    text.clear();
                    if (streaming) io.out.Flush();
                    if (io.out.Failed()) return 1;
                }
            }
        } catch (const InputError& e) {
            io.out.Write(text);
            Print_Diagnostic(io.err, "cannot read " + name + ": " + e.what());
            return 2;
        }
        io.out.Write(text);
        return status;
    }

private:
    std::optional<std::string> file_;
};

}  // namespace

std::unique_ptr<Command> Make_Batch_Command() { return std::make_unique<BatchCommand>(); }

}  // namespace aqvis::cli
