// `aqvis-cli batch [FILE|-]`: one case per CSV line, one output line per
// case in input order; a failed case is reported in its line and the batch
// goes on.

#include <CLI/CLI.hpp>

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch_lines.h"
#include "cli/case_report.h"
#include "cli/cases.h"
#include "cli/command.h"
#include "cli/rows.h"
#include "cli/stop_signals.h"
#include "driver/uncertainty.h"
#include "io/text.h"

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

// The cases of one batch, read and written line by line.  Everything is kept
// from case to case, so that a case allocates nothing once the first few
// have run.
class BatchRun {
public:
    BatchRun(const SharedOptions& shared, Streams& io, bool streaming)
        : shared_(shared), io_(io), streaming_(streaming)
    {
        if (shared.report) report_.emplace(*shared.report);
    }

    // Runs the case of `line` (or says why it is none) and adds its output
    // line; false for a line that is no case (blank, comment, title).
    bool Add_Line(const std::string& line, bool too_long);
    // Writes the output gathered so far when it is due (every line when
    // streaming); false once standard output failed.
    bool Write_Due(bool force);
    int Status() const { return status_; }

private:
    void fail_line(std::string_view solute, std::string message);
    void run_fields();
    void add_uncertainties(const CatalogueEntry* record);

    const SharedOptions& shared_;
    Streams& io_;
    const bool streaming_;
    std::optional<CaseReport> report_;
    bool seen_case_line_ = false;
    int status_ = 0;
    std::string text_, solute_;
    std::vector<std::string_view> fields_;
    CaseRun run_;
    CaseInput input_;
    PreparedSolutes prepared_;
    std::set<std::string> noted_;  // the reasons said of cases without uncertainties
};

void BatchRun::fail_line(std::string_view solute, std::string message)
{
    Clear_Case_Run(run_);
    solute_ = solute;
    run_.result.kind = ErrorKind::TypeMismatch;
    run_.result.error = std::move(message);
}

void BatchRun::run_fields()
{
    const std::vector<std::string_view>& f = fields_;
    solute_ = Trimmed(f[0]);
    input_.solute = solute_;
    input_.units = shared_.units;
    number_field(f[1], input_.temp);
    number_field(f[2], input_.press);
    if (f.size() == 6) {
        input_.xi = Trimmed(f[3]);
        input_.a = Trimmed(f[4]);
        input_.b = Trimmed(f[5]);
    } else {
        input_.xi.reset();
        input_.a.reset();
        input_.b.reset();
    }
    const CatalogueEntry* record = shared_.Find(input_.solute);
    Run_Text_Case(input_, record, run_, prepared_);
    if (shared_.uncertainty) add_uncertainties(record);
    if (report_) report_->Record(run_);
}

// A case whose solute has no covariance (or was given xi, a or b) goes on
// with its u_ members null; why is said once on standard error.
void BatchRun::add_uncertainties(const CatalogueEntry* record)
{
    Add_Uncertainties(run_.result);
    if (!run_.result.ok || !std::isnan(run_.result.derived.u.lnkH)) return;
    const bool given = (input_.xi && !input_.xi->empty()) || (input_.a && !input_.a->empty()) ||
                       (input_.b && !input_.b->empty());
    const std::string reason = No_Uncertainty_Reason(*record, given);
    if (noted_.insert(reason).second)
        Print_Diagnostic(io_.err, "note: " + reason + ": its cases are written without uncertainties" +
                                      (shared_.json ? " (u_ members null)" : ""));
}

bool BatchRun::Add_Line(const std::string& line, bool too_long)
{
    if (too_long) {
        Split(line, ',', fields_);
        fail_line(Trimmed(fields_.front()).substr(0, 100),
                  "Type mismatch: the line is longer than " + std::to_string(LineReader::kMaxLine) + " bytes");
    } else {
        const std::string_view t = Trimmed(line);
        if (t.empty() || t[0] == '#') return false;
        Split(line, ',', fields_);
        // The first line may be a title, unless it names a solute.
        const bool first = !seen_case_line_;
        seen_case_line_ = true;
        if (first && Is_Title_Line(fields_) && !shared_.Find(Trimmed(fields_.front()))) return false;
        if (fields_.size() != 3 && fields_.size() != 6)
            fail_line(Trimmed(fields_.front()), "Type mismatch: a batch line is solute,temp,press[,xi,a,b]");
        else
            run_fields();
    }
    if (!run_.result.ok) status_ = 1;
    if (shared_.json)
        Append_Json_Line(text_, run_.result, solute_, RowOptions{shared_.units, false, shared_.uncertainty});
    else
        Append_Summary_Line(text_, run_.result, solute_, shared_.units);
    return true;
}

bool BatchRun::Write_Due(bool force)
{
    if (force || streaming_ || text_.size() > (1 << 16)) {
        io_.out.Write(text_);
        text_.clear();
        if (streaming_ || force) io_.out.Flush();
    }
    return !io_.out.Failed();
}

class BatchCommand : public Command {
public:
    void Declare(CLI::App& sub) override
    {
        sub.add_option("FILE", file_,
                       "CSV file of cases, one per line: solute,temp,press[,xi,a,b] (degC and bar, "
                       "or --temp-unit and --press-unit); '-' or none: standard input")
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
        // Cases fed through a pipe are computed, and their lines written, as
        // they come.
        struct stat st {};
        const bool streaming = ::fstat(fileno(src), &st) != 0 || !S_ISREG(st.st_mode);
        BatchRun batch(shared, io, streaming);
        StopSignals stop;
        std::string line;
        bool too_long = false;
        LineReader reader(src);
        try {
            // Waiting for the next line of a pipe with every line written,
            // a signal may end the program at once.
            while ((StopSignals::Set_Idle(streaming), reader.Next(line, too_long))) {
                StopSignals::Set_Idle(false);
                batch.Add_Line(line, too_long);
                if (!batch.Write_Due(false)) return 1;
                if (StopSignals::Requested()) break;
            }
            StopSignals::Set_Idle(false);
        } catch (const InputError& e) {
            StopSignals::Set_Idle(false);
            batch.Write_Due(true);
            Print_Diagnostic(io.err, "cannot read " + name + ": " + e.what());
            return 2;
        }
        batch.Write_Due(true);
        if (StopSignals::Requested()) StopSignals::Stop_Now();
        return batch.Status();
    }

private:
    std::optional<std::string> file_;
};

}  // namespace

std::unique_ptr<Command> Make_Batch_Command() { return std::make_unique<BatchCommand>(); }

}  // namespace aqvis::cli
