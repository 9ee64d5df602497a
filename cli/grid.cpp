#include "cli/grid.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>

#include "cli/cases.h"
#include "core/errors.h"
#include "driver/case_runner.h"
#include "results/members.h"
#include "results/number_text.h"
#include "results/report.h"
#include "solute/catalogue.h"

#ifdef AQVIS_HAVE_PLOT
#include "plot/plot.h"
#endif

namespace aqvis::cli {

const char* const kGridUsage =
    "  aqvis-cli grid SOLUTE[,SOLUTE...]|all --temp T --press P [--xi X] [--a A] [--b B]\n"
    "                 [--csv|--json|--table] [--columns MEMBER,...|all] [--report FILE]\n"
    "                 [--threads N] [--no-progress]\n"
    "                 [--plot FILE.svg|FILE.png [--y MEMBER,...] [--x temp|press] [--size WxH]]\n"
    "    T and P are FROM:TO:STEP or V1,V2,...; rows go by solute, then pressure, then\n"
    "    temperature.  CSV is the default; with --plot and no format, no rows are written.\n"
    "    CSV and table columns: TC,Pbar,dH2O,lnkH,K,GTaqua,S2,V2,Cp2 unless --columns.\n";

bool Plotting_Built()
{
#ifdef AQVIS_HAVE_PLOT
    return true;
#else
    return false;
#endif
}

namespace {

// ------------------------------------------------------------- members

using GridMember = Member;

std::string member_names()
{
    std::string s;
    for (const Member& m : Output_Members()) {
        if (!s.empty()) s += ", ";
        s += m.name;
    }
    return s;
}

double member_value(const Member& m, const CaseResult& r)
{
    return Member_Value(m, r.state, r.derived);
}

// The columns of CSV and table output unless --columns names others: the
// state and the solute's results, the quantities of a report-file line.
constexpr const char* kDefaultColumns[] = {"TC", "Pbar", "dH2O", "lnkH", "K", "GTaqua", "S2", "V2", "Cp2"};

// ------------------------------------------------------------- parsing

std::vector<std::string> split(std::string_view text, char sep)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(sep, start);
        parts.emplace_back(text.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) break;
        start = at + 1;
    }
    return parts;
}

std::string trimmed(std::string_view s)
{
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return "";
    const auto e = s.find_last_not_of(" \t");
    return std::string(s.substr(b, e - b + 1));
}

double axis_number(const std::string& text, std::string_view axis)
{
    try {
        return Read_Machine_Number(text);
    } catch (const CalcError&) {
        throw GridUsageError("\"" + std::string(axis) + "\": \"" + text + "\" is not a number");
    }
}

// A plain decimal text ([+-]digits[.digits]) as an integer and a count of
// decimals, when it fits comfortably in 53 bits.
struct Decimal {
    std::int64_t units = 0;
    int decimals = 0;
};

std::optional<Decimal> plain_decimal(const std::string& text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    Decimal d;
    int digits = 0;
    bool point = false, any = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') return std::nullopt;
        any = true;
        if (d.units != 0 || c != '0') ++digits;
        if (digits > 15) return std::nullopt;
        d.units = d.units * 10 + (c - '0');
        if (point) ++d.decimals;
    }
    if (!any) return std::nullopt;
    if (negative) d.units = -d.units;
    return d;
}

std::int64_t pow10i(int n)
{
    std::int64_t p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

constexpr std::size_t kMaxAxisValues = 100'000'000;

std::vector<double> range_values(const std::string& from_t, const std::string& to_t,
                                 const std::string& step_t, std::string_view axis)
{
    const double from = axis_number(from_t, axis), to = axis_number(to_t, axis),
                 step = axis_number(step_t, axis);
    if (step == 0.0) throw GridUsageError("\"" + std::string(axis) + "\": the step is 0");
    if ((to - from) / step < 0.0)
        throw GridUsageError("\"" + std::string(axis) + "\": the step leads away from " + to_t);
    const double span = (to - from) / step;
    if (!(span < static_cast<double>(kMaxAxisValues)))
        throw GridUsageError("\"" + std::string(axis) + "\": more than 100,000,000 values");

    std::vector<double> v;
    const auto f = plain_decimal(from_t), t = plain_decimal(to_t), s = plain_decimal(step_t);
    if (f && t && s) {
        // Exact stepping in units of the finest decimal, one rounding per value.
        const int dec = std::max({f->decimals, t->decimals, s->decimals});
        if (dec <= 15) {
            const std::int64_t fu = f->units * pow10i(dec - f->decimals);
            const std::int64_t tu = t->units * pow10i(dec - t->decimals);
            const std::int64_t su = s->units * pow10i(dec - s->decimals);
            const double scale = static_cast<double>(pow10i(dec));
            const std::int64_t limit = std::int64_t(1) << 53;
            if (std::llabs(fu) < limit && std::llabs(tu) < limit && std::llabs(su) < limit) {
                const std::int64_t n = (tu - fu) / su;
                v.reserve(static_cast<std::size_t>(n) + 1);
                for (std::int64_t k = 0; k <= n; ++k)
                    v.push_back(static_cast<double>(fu + k * su) / scale);
                return v;
            }
        }
    }
    // Other texts (exponents, many digits): FROM + k*STEP, with TO included
    // when it is reached up to rounding.
    const std::size_t n = static_cast<std::size_t>(std::floor(span * (1.0 + 1e-12) + 1e-9));
    v.reserve(n + 1);
    for (std::size_t k = 0; k <= n; ++k) v.push_back(from + static_cast<double>(k) * step);
    return v;
}

// -------------------------------------------------------------- output

void append_general(std::string& out, double v, int precision)
{
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, precision);
    out.append(buf, r.ptr);
}

void append_padded(std::string& out, std::string_view text, std::size_t width, bool left)
{
    if (!left && text.size() < width) out.append(width - text.size(), ' ');
    out += text;
    if (left && text.size() < width) out.append(width - text.size(), ' ');
}

constexpr std::size_t kFormulaWidth = 8, kTableWidth = 14;

using Columns = std::vector<const GridMember*>;

void append_csv_header(std::string& out, const Columns& columns)
{
    out += "Formula";
    for (const GridMember* m : columns) {
        out += ',';
        out += m->name;
        out += " [";
        out += m->unit;
        out += ']';
    }
    out += ",error\n";
}

void append_table_header(std::string& out, const Columns& columns)
{
    append_padded(out, "Formula", kFormulaWidth, true);
    for (const GridMember* m : columns) append_padded(out, m->name, kTableWidth, false);
    out += '\n';
    append_padded(out, "", kFormulaWidth, true);
    for (const GridMember* m : columns) append_padded(out, m->unit, kTableWidth, false);
    out += '\n';
}

// What a failed point still shows in a column: its inputs.
std::optional<double> failed_value(const Member& m, const CaseResult& r)
{
    if (m.state == &CalcState::TC) return r.TC;
    if (m.state == &CalcState::Pbar) return r.Pbar;
    if (Is_Input_Member(m)) return r.state.*(m.state);
    return std::nullopt;
}

// The prepared state of each solute, and what every point needs to read.
struct GridContext {
    const GridJob& job;
    Columns columns;                       // of CSV and table rows
    std::vector<PreparedSolute> prepared;  // one per solute
    std::size_t per_solute = 0, total = 0;
    std::vector<const GridMember*> plot_members;
    std::vector<std::vector<double>> plot_values;  // [member][point]
    std::vector<double> plot_pressure;             // [point], pressure used, when plotted against it
    std::string decimal_sep = ".";
};

struct Chunk {
    std::string text;
    std::string report;                    // headers and data lines for the report
    std::vector<std::size_t> report_ends;  // where each of them ends in `report`
    std::size_t points = 0, failed = 0;
};

void append_csv_row(std::string& out, const CaseResult& r, const std::string& formula,
                    const Columns& columns)
{
    out += formula;
    if (r.ok) {
        for (const GridMember* m : columns) {
            out += ',';
            Append_Number17(out, member_value(*m, r));
        }
        out += ",\n";
        return;
    }
    // A failed point: its inputs, empty results and the kind of error.
    for (const GridMember* m : columns) {
        out += ',';
        if (const std::optional<double> v = failed_value(*m, r)) Append_Number17(out, *v);
    }
    out += ',';
    out += Error_Kind_Id(r.kind);
    out += '\n';
}

void append_table_row(std::string& out, const CaseResult& r, const std::string& formula,
                      const Columns& columns)
{
    append_padded(out, formula, kFormulaWidth, true);
    std::string cell;
    for (const GridMember* m : columns) {
        cell.clear();
        if (r.ok) {
            append_general(cell, member_value(*m, r), 7);
        } else if (const std::optional<double> v = failed_value(*m, r)) {
            append_general(cell, *v, 7);
        } else {
            out += "  failed: ";
            out += Error_Kind_Id(r.kind);
            break;
        }
        append_padded(out, cell, kTableWidth, false);
    }
    out += '\n';
}

// Computes and formats the points [begin, end).
void compute_chunk(GridContext& ctx, std::size_t begin, std::size_t end, Chunk& chunk, CaseResult& r)
{
    const GridJob& job = ctx.job;
    const std::size_t nT = job.temps.size();
    chunk.text.clear();
    chunk.report.clear();
    chunk.report_ends.clear();
    chunk.points = end - begin;
    chunk.failed = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const std::size_t si = i / ctx.per_solute;
        const std::size_t pi = (i % ctx.per_solute) / nT;
        const std::size_t ti = i % nT;
        const PreparedSolute& prepared = ctx.prepared[si];
        Run_Case(prepared, job.temps[ti], job.pressures[pi], r);

        if (job.report) {
            if (i % ctx.per_solute == 0) {
                chunk.report += Header_Lines_Now(prepared.state, ctx.decimal_sep);
                chunk.report_ends.push_back(chunk.report.size());
            }
            if (r.ok) {
                Append_Result_Line_Text(chunk.report, r.state, r.derived, ctx.decimal_sep);
                chunk.report_ends.push_back(chunk.report.size());
            }
        }
        if (!r.ok) ++chunk.failed;

        switch (job.format) {
        case GridFormat::Csv: append_csv_row(chunk.text, r, job.solutes[si], ctx.columns); break;
        case GridFormat::Json: Append_Json(chunk.text, r, job.solutes[si]); break;
        case GridFormat::Table: append_table_row(chunk.text, r, job.solutes[si], ctx.columns); break;
        case GridFormat::None: break;
        }
        for (std::size_t k = 0; k < ctx.plot_members.size(); ++k)
            ctx.plot_values[k][i] =
                r.ok ? member_value(*ctx.plot_members[k], r) : std::numeric_limits<double>::quiet_NaN();
        if (!ctx.plot_pressure.empty())
            ctx.plot_pressure[i] = r.ok ? r.state.Pbar : std::numeric_limits<double>::quiet_NaN();
    }
}

// ------------------------------------------------------------ progress

class Progress {
public:
    Progress(std::FILE* err, std::FILE* out, const GridJob& job, std::size_t total)
        : err_(err), total_(total), delay_(job.progress_delay)
    {
        enabled_ = job.progress && err && isatty(fileno(err));
        shares_terminal_ = enabled_ && out && isatty(fileno(out));
        start_ = std::chrono::steady_clock::now();
    }

    // Before rows are written to a terminal that also shows the bar.
    void before_output()
    {
        if (shown_ && shares_terminal_) {
            std::fputs("\r\x1b[K", err_);
            std::fflush(err_);
        }
    }

    void update(std::size_t done)
    {
        if (!enabled_) return;
        const double t = seconds();
        if (t < delay_) return;
        if (shown_ && t - last_ < 0.1 && !shares_terminal_) return;
        draw(done, t);
    }

    void finish(std::size_t done)
    {
        if (!shown_) return;
        if (done != last_done_) draw(done, seconds());
        std::fputc('\n', err_);
        std::fflush(err_);
    }

private:
    double seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

    void draw(std::size_t done, double t)
    {
        constexpr int kWidth = 30;
        const double f = total_ ? static_cast<double>(done) / static_cast<double>(total_) : 1.0;
        const int filled = static_cast<int>(f * kWidth);
        char bar[kWidth + 1];
        for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '-';
        bar[kWidth] = '\0';
        const double rate = t > 0 ? static_cast<double>(done) / t : 0.0;
        char eta[40] = "";
        if (done < total_ && rate > 0)
            std::snprintf(eta, sizeof eta, ", %.0f s left", static_cast<double>(total_ - done) / rate);
        std::fprintf(err_, "\r\x1b[K[%s] %3d%%  %zu/%zu points  %.1f s  %.0f points/s%s", bar,
                     static_cast<int>(f * 100.0), done, total_, t, rate, eta);
        std::fflush(err_);
        shown_ = true;
        last_ = t;
        last_done_ = done;
    }

    std::FILE* err_;
    std::size_t total_;
    double delay_;
    bool enabled_ = false, shares_terminal_ = false, shown_ = false;
    double last_ = 0.0;
    std::size_t last_done_ = 0;
    std::chrono::steady_clock::time_point start_;
};

// -------------------------------------------------------------- running


#ifdef AQVIS_HAVE_PLOT
std::string pressure_text(double p)
{
    if (p == 0.0) return "saturation";
    std::string s;
    append_general(s, p, 10);
    return s + " bar";
}

std::string temperature_text(double t)
{
    std::string s;
    append_general(s, t, 10);
    return s + " \xC2\xB0" "C";
}

plot::Figure make_figure(const GridContext& ctx)
{
    const GridJob& job = ctx.job;
    const std::size_t nS = job.solutes.size(), nP = job.pressures.size(), nT = job.temps.size();
    plot::Figure fig;
    const int panels = static_cast<int>(ctx.plot_members.size());
    fig.width = job.plot_width > 0 ? job.plot_width : 900;
    fig.height = job.plot_height > 0 ? job.plot_height : 600 + 300 * (panels - 1);
    const bool by_pressure = job.plot_against_pressure;
    fig.x_title = by_pressure ? "Pressure (bar)" : "Temperature (\xC2\xB0" "C)";
    if (!by_pressure && nP == 1)
        fig.title = job.pressures[0] == 0.0 ? "along the saturation curve of water"
                                            : "at " + pressure_text(job.pressures[0]);
    else if (by_pressure && nT == 1)
        fig.title = "at " + temperature_text(job.temps[0]);
    if (!fig.title.empty()) {
        if (nS == 1)
            fig.title = job.solutes[0] + " " + fig.title;
        else
            fig.title[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(fig.title[0])));
    }

    for (std::size_t k = 0; k < ctx.plot_members.size(); ++k) {
        const GridMember& m = *ctx.plot_members[k];
        plot::Panel panel;
        panel.y_short_title = m.name;
        if (*m.plot_unit) panel.y_short_title += std::string(" (") + m.plot_unit + ")";
        panel.y_title = std::string(m.meaning) + ", " + panel.y_short_title;
        const std::vector<double>& values = ctx.plot_values[k];
        const std::size_t n_other = by_pressure ? nT : nP;
        for (std::size_t si = 0; si < nS; ++si)
            for (std::size_t o = 0; o < n_other; ++o) {
                plot::Series s;
                const std::string other =
                    by_pressure ? temperature_text(job.temps[o]) : pressure_text(job.pressures[o]);
                if (nS > 1 && n_other > 1)
                    s.label = job.solutes[si] + ", " + other;
                else if (nS > 1)
                    s.label = job.solutes[si];
                else
                    s.label = other;
                if (by_pressure) {
                    for (std::size_t pi = 0; pi < nP; ++pi) {
                        const std::size_t i = si * ctx.per_solute + pi * nT + o;
                        s.x.push_back(ctx.plot_pressure[i]);
                        s.y.push_back(values[i]);
                    }
                } else {
                    const std::size_t base = si * ctx.per_solute + o * nT;
                    s.x = job.temps;
                    s.y.assign(values.begin() + static_cast<std::ptrdiff_t>(base),
                               values.begin() + static_cast<std::ptrdiff_t>(base + nT));
                }
                panel.series.push_back(std::move(s));
            }
        fig.panels.push_back(std::move(panel));
    }
    // One curve that the title already names needs no legend.
    fig.legend = !(fig.panels.front().series.size() == 1 && !fig.title.empty());
    return fig;
}
#endif

}  // namespace

// --------------------------------------------------------------- public

std::vector<double> Parse_Axis(std::string_view text)
{
    const std::string axis(text);
    if (trimmed(text).empty()) throw GridUsageError("an empty list of values");
    if (text.find(':') != std::string_view::npos) {
        const std::vector<std::string> p = split(text, ':');
        if (p.size() != 3)
            throw GridUsageError("\"" + axis + "\": a range is FROM:TO:STEP");
        return range_values(trimmed(p[0]), trimmed(p[1]), trimmed(p[2]), axis);
    }
    std::vector<double> v;
    for (const std::string& item : split(text, ',')) v.push_back(axis_number(trimmed(item), axis));
    return v;
}

std::vector<std::string> Parse_Solutes(std::string_view text)
{
    std::vector<std::string> names;
    if (text == "all") {
        for (const SoluteRecord& r : Solute_Catalogue) names.emplace_back(r.Formula);
        return names;
    }
    for (const std::string& item : split(text, ',')) {
        const std::string name = trimmed(item);
        if (!Find_Solute(name)) {
            std::string known;
            for (const SoluteRecord& r : Solute_Catalogue) known += std::string(known.empty() ? "" : " ") + r.Formula;
            throw GridUsageError("unknown solute \"" + name + "\"; the solutes are: " + known +
                                 " (or all)");
        }
        names.push_back(name);
    }
    return names;
}

GridSummary Run_Grid(const GridJob& job, std::FILE* out, std::FILE* err)
{
    GridContext ctx{job, {}, {}, 0, 0, {}, {}, {}, "."};
    if (job.solutes.empty() || job.temps.empty() || job.pressures.empty())
        throw GridUsageError("the grid has no points");
    if (job.columns.size() == 1 && job.columns[0] == "all") {
        for (const Member& m : Output_Members()) ctx.columns.push_back(&m);
    } else if (job.columns.empty()) {
        for (const char* name : kDefaultColumns) ctx.columns.push_back(Find_Member(name));
    } else {
        for (const std::string& name : job.columns) {
            const GridMember* m = Find_Member(name);
            if (!m)
                throw GridUsageError("no column \"" + name + "\"; the members are: " + member_names() +
                                     " (or all)");
            ctx.columns.push_back(m);
        }
    }

    // Each solute as the window has it after "Accept": every point starts
    // from a copy of it.
    SoluteParameters parameters;
    const auto param = [](const std::optional<std::string>& text, std::optional<double>& dst,
                          const char* option) {
        if (!text || text->empty()) return;
        try {
            dst = Read_Machine_Number(*text);
        } catch (const CalcError&) {
            throw GridUsageError(std::string(option) + ": \"" + *text + "\" is not a number");
        }
    };
    param(job.xi, parameters.xi, "--xi");
    param(job.a, parameters.a, "--a");
    param(job.b, parameters.b, "--b");
    for (const std::string& name : job.solutes) {
        const SoluteRecord* rec = Find_Solute(name);
        if (!rec) throw GridUsageError("unknown solute \"" + name + "\"");
        ctx.prepared.push_back(Prepare_Solute(*rec, parameters));
    }

    const std::size_t nS = job.solutes.size(), nP = job.pressures.size(), nT = job.temps.size();
    if (nP > std::numeric_limits<std::size_t>::max() / nT ||
        nS > std::numeric_limits<std::size_t>::max() / (nP * nT))
        throw GridUsageError("the grid has too many points");
    ctx.per_solute = nP * nT;
    ctx.total = nS * ctx.per_solute;

    if (job.plot) {
        if (!Plotting_Built())
            throw GridUsageError("plotting is not built in this aqvis-cli (Qt 6 Gui and Svg were "
                                 "not found when it was built)");
        const std::vector<std::string> names =
            job.plot_members.empty() ? std::vector<std::string>{"lnkH"} : job.plot_members;
        for (const std::string& name : names) {
            const GridMember* m = Find_Member(name);
            if (!m)
                throw GridUsageError("cannot plot \"" + name + "\"; the members are: " + member_names());
            ctx.plot_members.push_back(m);
        }
        if (ctx.total * (ctx.plot_members.size() + (job.plot_against_pressure ? 1 : 0)) > 200'000'000)
            throw GridUsageError("too many points to plot (at most 200,000,000 values)");
        ctx.plot_values.assign(ctx.plot_members.size(), std::vector<double>(ctx.total));
        if (job.plot_against_pressure) ctx.plot_pressure.assign(ctx.total, 0.0);
    }

    std::optional<ReportFile> report;
    if (job.report) {
        ctx.decimal_sep = Locale_Decimal_Separator();
        report.emplace(*job.report);
        try {
            report->Open();
        } catch (const CalcError& e) {
            throw GridUsageError(e.what());
        }
    }

    GridSummary summary;
    summary.points = ctx.total;
    bool write_failed = false;
    auto write = [&](std::FILE* f, const std::string& text) {
        if (!f || text.empty() || write_failed) return;
        if (std::fwrite(text.data(), 1, text.size(), f) != text.size()) write_failed = true;
    };

    std::string header;
    if (job.format == GridFormat::Csv) append_csv_header(header, ctx.columns);
    if (job.format == GridFormat::Table) append_table_header(header, ctx.columns);
    write(out, header);

    Progress progress(err, out, job, ctx.total);
    const std::size_t chunk_points = std::max<std::size_t>(1, job.chunk_points);
    const std::size_t n_chunks = (ctx.total + chunk_points - 1) / chunk_points;
    std::size_t done = 0;

    // Writes a finished chunk; only ever called in chunk order.
    auto emit = [&](Chunk& c) {
        if (job.format != GridFormat::None) progress.before_output();
        write(out, c.text);
        if (report && report->is_open()) {
            try {
                report->Append_Units(c.report, c.report_ends);
            } catch (const CalcError& e) {
                // The report ends in the last whole line written; later lines
                // are not written either, so it never has a gap.
                std::fprintf(err, "aqvis-cli: %s; the report ends before this point\n", e.what());
                report->Close_Report();
                summary.output_error = true;
            }
        }
        summary.failed += c.failed;
        done += c.points;
        progress.update(done);
    };

    unsigned threads = job.threads ? job.threads : std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, n_chunks));

    if (threads <= 1) {
        Chunk c;
        CaseResult r;
        for (std::size_t k = 0; k < n_chunks && !write_failed; ++k) {
            compute_chunk(ctx, k * chunk_points, std::min(ctx.total, (k + 1) * chunk_points), c, r);
            emit(c);
        }
    } else {
        // Workers take chunks in order and fill a ring of slots; this thread
        // writes the slots in order.  A worker never runs more than the ring
        // ahead of the writer, so memory stays bounded whatever the grid.
        const std::size_t window = 2 * static_cast<std::size_t>(threads) + 2;
        std::vector<Chunk> ring(window);
        std::vector<char> ready(window, 0);
        std::mutex m;
        std::condition_variable work_cv, done_cv;
        std::size_t next_claim = 0, next_write = 0;
        bool stop = false;

        auto worker = [&] {
            CaseResult r;
            while (true) {
                std::size_t k;
                {
                    std::unique_lock lock(m);
                    work_cv.wait(lock, [&] {
                        return stop || next_claim >= n_chunks || next_claim < next_write + window;
                    });
                    if (stop || next_claim >= n_chunks) return;
                    k = next_claim++;
                }
                compute_chunk(ctx, k * chunk_points, std::min(ctx.total, (k + 1) * chunk_points),
                              ring[k % window], r);
                {
                    std::lock_guard lock(m);
                    ready[k % window] = 1;
                }
                done_cv.notify_one();
            }
        };
        std::vector<std::thread> pool;
        pool.reserve(threads);
        for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);

        for (std::size_t k = 0; k < n_chunks; ++k) {
            const std::size_t slot = k % window;
            {
                std::unique_lock lock(m);
                done_cv.wait(lock, [&] { return ready[slot] != 0; });
            }
            emit(ring[slot]);
            {
                std::lock_guard lock(m);
                ready[slot] = 0;
                ++next_write;
                if (write_failed) stop = true;
            }
            work_cv.notify_all();
            if (write_failed) break;
        }
        {
            std::lock_guard lock(m);
            stop = true;
        }
        work_cv.notify_all();
        for (std::thread& t : pool) t.join();
    }
    progress.finish(done);

    if (out) std::fflush(out);
    if (write_failed || (out && std::ferror(out))) {
        std::fprintf(err, "aqvis-cli: writing the rows failed: %s\n", std::strerror(errno));
        summary.output_error = true;
    }
#ifdef AQVIS_HAVE_PLOT
    if (job.plot && !summary.output_error) {
        try {
            plot::Write_Figure(make_figure(ctx), *job.plot);
        } catch (const std::exception& e) {
            std::fprintf(err, "aqvis-cli: %s\n", e.what());
            summary.output_error = true;
        }
    }
#endif
    return summary;
}

int Grid_Command(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    try {
        GridJob job;
        std::optional<std::string> solutes, temp, press;
        std::optional<GridFormat> format;
        std::optional<bool> against_pressure;
        for (int i = 2; i < argc; ++i) {
            const std::string arg = argv[i];
            auto value = [&]() -> std::string {
                if (i + 1 >= argc) throw GridUsageError("option " + arg + " needs a value");
                return argv[++i];
            };
            auto set_format = [&](GridFormat f) {
                if (format && *format != f)
                    throw GridUsageError("give only one of --csv, --json and --table");
                format = f;
            };
            if (arg == "--temp")
                temp = value();
            else if (arg == "--press")
                press = value();
            else if (arg == "--xi")
                job.xi = value();
            else if (arg == "--a")
                job.a = value();
            else if (arg == "--b")
                job.b = value();
            else if (arg == "--csv")
                set_format(GridFormat::Csv);
            else if (arg == "--json")
                set_format(GridFormat::Json);
            else if (arg == "--table")
                set_format(GridFormat::Table);
            else if (arg == "--columns") {
                for (const std::string& name : split(value(), ',')) job.columns.push_back(trimmed(name));
            } else if (arg == "--report")
                job.report = value();
            else if (arg == "--plot")
                job.plot = value();
            else if (arg == "--y") {
                for (const std::string& name : split(value(), ',')) job.plot_members.push_back(trimmed(name));
            } else if (arg == "--x") {
                const std::string x = value();
                if (x == "temp" || x == "temperature")
                    against_pressure = false;
                else if (x == "press" || x == "pressure")
                    against_pressure = true;
                else
                    throw GridUsageError("--x is temp or press");
            } else if (arg == "--size") {
                const std::string v = value();
                const auto x = v.find('x');
                int w = 0, h = 0;
                const bool ok = x != std::string::npos &&
                                std::from_chars(v.data(), v.data() + x, w).ptr == v.data() + x &&
                                std::from_chars(v.data() + x + 1, v.data() + v.size(), h).ptr ==
                                    v.data() + v.size();
                if (!ok || w < 16 || h < 16 || w > 20000 || h > 20000)
                    throw GridUsageError("--size is WIDTHxHEIGHT in pixels, 16 to 20000 each");
                job.plot_width = w;
                job.plot_height = h;
            } else if (arg == "--threads") {
                const std::string v = value();
                unsigned n = 0;
                if (std::from_chars(v.data(), v.data() + v.size(), n).ptr != v.data() + v.size() ||
                    n < 1 || n > 1024)
                    throw GridUsageError("--threads takes a number from 1 to 1024");
                job.threads = n;
            } else if (arg == "--no-progress")
                job.progress = false;
            else if (arg.size() > 1 && arg[0] == '-')
                throw GridUsageError("unknown option " + arg);
            else if (!solutes)
                solutes = arg;
            else
                throw GridUsageError("grid takes one list of solutes (comma-separated, no blanks)");
        }
        if (!solutes) throw GridUsageError("grid needs the solutes (a list such as N2,CO2, or all)");
        if (!temp || !press) throw GridUsageError("grid needs --temp and --press");
        if (!job.columns.empty() && format == GridFormat::Json)
            throw GridUsageError("--columns goes with --csv or --table (JSON lines carry every member)");
        if (!job.plot && (!job.plot_members.empty() || job.plot_width || against_pressure))
            throw GridUsageError("--y, --x and --size go with --plot");
        if (job.plot) {
            std::string ext = job.plot->size() >= 4 ? job.plot->substr(job.plot->size() - 4) : "";
            for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (ext != ".svg" && ext != ".png") throw GridUsageError("--plot writes FILE.svg or FILE.png");
        }
        job.solutes = Parse_Solutes(*solutes);
        job.temps = Parse_Axis(*temp);
        job.pressures = Parse_Axis(*press);
        job.format = format ? *format : (job.plot ? GridFormat::None : GridFormat::Csv);
        // By default the curves run over temperature, unless there is only
        // one temperature and several pressures.
        job.plot_against_pressure =
            against_pressure ? *against_pressure : job.temps.size() == 1 && job.pressures.size() > 1;

        const GridSummary s = Run_Grid(job, out, err);
        if (s.output_error) return 1;
        return s.failed ? 1 : 0;
    } catch (const GridUsageError& e) {
        std::fprintf(err, "aqvis-cli: %s\nusage:\n%s", e.what(), kGridUsage);
        return 2;
    }
}

}  // namespace aqvis::cli
