#include "cli/app.h"

#include <langinfo.h>
#include <locale.h>

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdlib>
#include <charconv>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cases.h"
#include "cli/grid.h"
#include "results/report.h"
#include "solute/catalogue.h"

namespace aqvis::cli {

namespace {

const char* const kUsage =
    "usage:\n"
    "  aqvis-cli list\n"
    "  aqvis-cli calc SOLUTE TEMP PRESS [--xi X] [--a A] [--b B] [--json] [--report FILE]\n"
    "  aqvis-cli batch [FILE|-] [--json] [--report FILE]\n"
    "  aqvis-cli grid SOLUTE[,SOLUTE...]|all --temp T --press P [--xi X] [--a A] [--b B]\n"
    "                 [--csv|--json|--table] [--columns MEMBER,...|all] [--report FILE]\n"
    "                 [--threads N] [--no-progress]\n"
    "                 [--plot FILE.svg|FILE.png [--y MEMBER,...] [--x temp|press] [--size WxH]]\n"
    "TEMP in degC, PRESS in bar (0 = saturation pressure at or below the critical\n"
    "temperature).  A batch line is: solute,temp,press[,xi,a,b]\n"
    "Grid axes T and P are FROM:TO:STEP or V1,V2,...\n";

struct UsageError {
    std::string message;
};


void write_out(std::FILE* f, const std::string& text)
{
    if (!text.empty()) std::fwrite(text.data(), 1, text.size(), f);
}

// Writes the report like the window does: a header whenever the solute or its
// parameters change (that is an acceptance), one line per successful case.
class CaseReport {
public:
    explicit CaseReport(std::string path) : file_(std::move(path)), sep_(Locale_Decimal_Separator()) {}

    // Called once the case's solute and parameters are known.  Returns false
    // (and fills the case's error) when the report cannot be written.
    void record(CaseRun& run)
    {
        if (!run.accepted) return;
        CaseResult& r = run.result;
        const CalcState& s = r.state;
        try {
            const bool changed = !last_ || last_->formula != s.Formula || last_->xi != s.Xi ||
                                 last_->a != s.Coef1 || last_->b != s.Coef2 || !file_.is_open();
            if (changed) {
                file_.Close_Report();
                last_.reset();
                file_.Open_Report(s, sep_);
                last_ = Key{s.Formula, s.Xi, s.Coef1, s.Coef2};
            }
            if (r.ok) file_.Append_Result_Line(s, r.derived, sep_);
        } catch (const CalcError& e) {
            r.Fail(e);
        }
    }

private:
    struct Key {
        std::string formula;
        double xi, a, b;
    };
    ReportFile file_;
    std::string sep_;
    std::optional<Key> last_;
};

struct Options {
    bool json = false;
    std::optional<std::string> report, xi, a, b;
    std::vector<std::string> positional;
};

Options parse_options(int argc, char** argv, int first, bool parameters)
{
    Options o;
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw UsageError{"option " + arg + " needs a value"};
            return argv[++i];
        };
        if (arg == "--json")
            o.json = true;
        else if (arg == "--report")
            o.report = value();
        else if (parameters && arg == "--xi")
            o.xi = value();
        else if (parameters && arg == "--a")
            o.a = value();
        else if (parameters && arg == "--b")
            o.b = value();
        else if (arg.size() > 1 && arg[0] == '-' && arg != "-" &&
                 !(arg.size() > 1 && (std::isdigit(static_cast<unsigned char>(arg[1])) || arg[1] == '.')))
            throw UsageError{"unknown option " + arg};
        else
            o.positional.push_back(arg);
    }
    return o;
}

// Shortest text that reads back as the same double.
std::string shortest(double v)
{
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

int cmd_list(std::FILE* out)
{
    std::string text;
    char buf[300];
    std::snprintf(buf, sizeof buf, "%-8s %10s %10s %10s %10s %9s %8s %8s %9s  %s\n", "Formula", "Xi",
                  "a", "b", "G0gas", "S0gas", "agas", "bgasE3", "cgasEmin5", "menu");
    text += buf;
    for (const SoluteRecord& r : Solute_Catalogue) {
        std::snprintf(buf, sizeof buf, "%-8s %10s %10s %10s %10s %9s %8s %8s %9s  %s\n", r.Formula,
                      shortest(r.Xi).c_str(), shortest(r.Coef1).c_str(), shortest(r.Coef2).c_str(),
                      shortest(r.G0gas).c_str(), shortest(r.S0gas).c_str(),
                      shortest(r.agas).c_str(), shortest(r.bgasE3).c_str(),
                      shortest(r.cgasEmin5).c_str(),
                      r.hydrocarbon ? "Hydrocarbons" : "Solutes Available");
        text += buf;
    }
    write_out(out, text);
    return 0;
}

void emit(std::string& text, const CaseResult& r, const std::string& solute, bool json)
{
    if (json)
        Append_Json(text, r, solute);
    else
        Append_Table(text, r);
}

// Batch output without --json: one readable line per case.
void emit_line(std::string& text, const CaseResult& r, const std::string& solute, bool json)
{
    if (json) {
        Append_Json(text, r, solute);
        return;
    }
    Append_Summary_Line(text, r, solute);
}

int cmd_calc(int argc, char** argv, std::FILE* out)
{
    const Options o = parse_options(argc, argv, 2, true);
    if (o.positional.size() != 3) throw UsageError{"calc takes SOLUTE TEMP PRESS"};
    CaseInput in;
    in.solute = o.positional[0];
    in.temp = o.positional[1];
    in.press = o.positional[2];
    in.xi = o.xi;
    in.a = o.a;
    in.b = o.b;
    CaseRun run = Run_Text_Case(in);
    if (o.report) CaseReport(*o.report).record(run);
    std::string text;
    emit(text, run.result, in.solute, o.json);
    write_out(out, text);
    return run.result.ok ? 0 : 1;
}

std::vector<std::string> split_csv(const std::string& line)
{
    std::vector<std::string> fields;
    std::string cur;
    for (const char c : line) {
        if (c == ',') {
            fields.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    fields.push_back(cur);
    return fields;
}

std::string trim(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    const auto e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

int cmd_batch(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err)
{
    const Options o = parse_options(argc, argv, 2, false);
    if (o.positional.size() > 1) throw UsageError{"batch takes at most one input file"};
    std::FILE* src = in;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> owned(nullptr, std::fclose);
    std::string name = "standard input";
    if (!o.positional.empty() && o.positional[0] != "-") {
        name = o.positional[0];
        owned.reset(std::fopen(name.c_str(), "rb"));
        if (!owned) {
            std::fprintf(err, "aqvis-cli: cannot read %s: %s\n", name.c_str(), std::strerror(errno));
            return 2;
        }
        src = owned.get();
    }
    std::unique_ptr<CaseReport> report;
    if (o.report) report = std::make_unique<CaseReport>(*o.report);

    int status = 0;
    std::string text;
    bool first = true;
    auto handle_line = [&](std::string l) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        const bool was_first = first;
        first = false;
        const std::string t = trim(l);
        if (t.empty() || t[0] == '#') return;
        if (was_first && t.rfind("solute", 0) == 0) return;
        const std::vector<std::string> f = split_csv(l);
        CaseInput c;
        c.solute = trim(f[0]);
        CaseRun run;
        CaseResult& r = run.result;
        if (f.size() < 3 || f.size() == 4 || f.size() == 5 || f.size() > 6) {
            r.kind = ErrorKind::TypeMismatch;
            r.error = "Type mismatch: a batch line is solute,temp,press[,xi,a,b]";
        } else {
            c.temp = f[1];
            c.press = f[2];
            if (f.size() == 6) {
                c.xi = trim(f[3]);
                c.a = trim(f[4]);
                c.b = trim(f[5]);
            }
            run = Run_Text_Case(c);
            if (report) report->record(run);
        }
        if (!r.ok) status = 1;
        emit_line(text, r, c.solute, o.json);
        if (text.size() > (1 << 16)) {
            write_out(out, text);
            text.clear();
        }
    };
    // Line by line, so that cases fed through a pipe are computed (and their
    // report lines written) as they come; output is then flushed per case.
    struct stat st {};
    const bool streaming = ::fstat(fileno(src), &st) != 0 || !S_ISREG(st.st_mode);
    char* buf = nullptr;
    std::size_t cap = 0;
    ssize_t len;
    errno = 0;
    while ((len = ::getline(&buf, &cap, src)) >= 0) {
        std::string l(buf, static_cast<std::size_t>(len));
        if (!l.empty() && l.back() == '\n') l.pop_back();
        // A byte-order mark some editors put in front of a UTF-8 file.
        if (first && l.compare(0, 3, "\xEF\xBB\xBF") == 0) l.erase(0, 3);
        handle_line(std::move(l));
        if (streaming && !text.empty()) {
            write_out(out, text);
            text.clear();
            std::fflush(out);
        }
    }
    std::free(buf);
    if (std::ferror(src)) {
        write_out(out, text);
        std::fprintf(err, "aqvis-cli: cannot read %s: %s\n", name.c_str(), std::strerror(errno));
        return 2;
    }
    write_out(out, text);
    return status;
}

}  // namespace

int Run(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err)
{
    try {
        if (argc < 2) throw UsageError{"no command given"};
        const std::string cmd = argv[1];
        if (cmd == "list") {
            if (argc != 2) throw UsageError{"list takes no arguments"};
            return cmd_list(out);
        }
        if (cmd == "calc") return cmd_calc(argc, argv, out);
        if (cmd == "batch") return cmd_batch(argc, argv, in, out, err);
        if (cmd == "grid") return Grid_Command(argc, argv, out, err);
        if (cmd == "--help" || cmd == "-h" || cmd == "help") {
            std::fputs(kUsage, out);
            return 0;
        }
        throw UsageError{"unknown command " + cmd};
    } catch (const UsageError& e) {
        std::fprintf(err, "aqvis-cli: %s\n%s", e.message.c_str(), kUsage);
        return 2;
    }
}

}  // namespace aqvis::cli
