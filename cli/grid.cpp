#include "cli/grid.h"

#include <algorithm>
#include <limits>
#include <new>
#include <thread>

#include "cli/cases.h"
#include "cli/command.h"
#include "cli/ordered_map.h"
#include "cli/progress.h"
#include "cli/stop_signals.h"
#include "core/errors.h"
#include "driver/uncertainty.h"
#include "results/decimal_separator.h"
#include "results/report.h"

#ifdef AQVIS_HAVE_PLOT
#include "plot/grid_figure.h"
#endif

namespace aqvis::cli {

bool Plotting_Built()
{
#ifdef AQVIS_HAVE_PLOT
    return true;
#else
    return false;
#endif
}

bool Plot_Module_Ready(std::FILE* err)
{
#ifdef AQVIS_HAVE_PLOT
    try {
        plot::Load_Plot_Module();
        return true;
    } catch (const std::exception& e) {
        Print_Diagnostic(err, e.what());
    }
#else
    Print_Diagnostic(err, "cannot draw the plot: plotting is not built in this aqvis-cli");
#endif
    return false;
}

namespace {

using Count = unsigned __int128;

std::string count_text(Count n)
{
    std::string s;
    do {
        s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(n % 10)));
        n /= 10;
    } while (n != 0);
    return s;
}

// What every point reads, and where the plotted values go.
struct GridContext {
    const GridJob& job;
    Columns columns;                       // of CSV and table rows
    std::vector<PreparedSolute> prepared;  // one per solute
    std::size_t per_solute = 0, total = 0;
    std::vector<const Member*> plot_members;
    std::vector<std::vector<double>> plot_values;  // [member][point]
    std::vector<double> plot_pressure;             // [point], when plotted against pressure
    std::string decimal_sep = ".";
};

// The rows and report lines of a run of points.
struct Chunk {
    std::string text;
    std::string report;                    // headers and data lines for the report
    std::vector<std::size_t> report_ends;  // where each of them ends in `report`
    std::size_t points = 0, failed = 0;
};

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
        if (job.water) {
            Run_Water_Case(job.temps[ti], job.pressures[pi], r);
        } else {
            Run_Case(ctx.prepared[si], job.temps[ti], job.pressures[pi], r);
            if (job.uncertainty) Add_Uncertainties(r);
        }
        const std::string& formula = r.values.Formula;

        if (job.report) {
            if (i % ctx.per_solute == 0) {
                chunk.report += Header_Lines_Now(ctx.prepared[si].solute, ctx.decimal_sep);
                chunk.report_ends.push_back(chunk.report.size());
            }
            if (r.ok) {
                Append_Result_Line_Text(chunk.report, r.values, r.derived, ctx.decimal_sep);
                chunk.report_ends.push_back(chunk.report.size());
            }
        }
        if (!r.ok) ++chunk.failed;

        const RowOptions rows{job.units, job.water, job.uncertainty};
        switch (job.format) {
        case GridFormat::Csv: Append_Csv_Row(chunk.text, r, formula, ctx.columns, rows); break;
        case GridFormat::Json: Append_Json_Line(chunk.text, r, formula, rows); break;
        case GridFormat::Table: Append_Table_Row(chunk.text, r, formula, ctx.columns, rows); break;
        case GridFormat::None: break;
        }
        for (std::size_t k = 0; k < ctx.plot_members.size(); ++k)
            ctx.plot_values[k][i] =
                r.ok ? Member_Output(*ctx.plot_members[k],
                                     Member_Value(*ctx.plot_members[k], r.values, r.derived), job.units.energy)
                     : std::numeric_limits<double>::quiet_NaN();
        if (!ctx.plot_pressure.empty())
            ctx.plot_pressure[i] = r.ok ? r.values.Pbar : std::numeric_limits<double>::quiet_NaN();
    }
}

#ifdef AQVIS_HAVE_PLOT
void write_plot(GridContext& ctx, std::FILE* err, GridSummary& summary)
{
    const GridJob& job = ctx.job;
    try {
        plot::GridPlotData d;
        for (const CatalogueEntry* s : job.solutes) d.solutes.push_back(s ? s->Formula : "water");
        d.temps = job.temps;
        d.pressures = job.pressures;
        d.members = ctx.plot_members;
        d.values = std::move(ctx.plot_values);
        d.energy = job.units.energy;
        d.against_pressure = job.plot_against_pressure;
        d.pressure_used = std::move(ctx.plot_pressure);
        d.width = job.plot_width;
        d.height = job.plot_height;
        plot::Write_Figure(plot::Grid_Figure(d), *job.plot);
    } catch (const std::bad_alloc&) {
        Print_Diagnostic(err, "cannot write the plot " + *job.plot + ": not enough memory");
        summary.output_error = true;
    } catch (const std::exception& e) {
        Print_Diagnostic(err, e.what());
        summary.output_error = true;
    }
}
#endif

}  // namespace

void Check_Grid_Size(std::size_t solutes, std::size_t pressures, std::size_t temps)
{
    if (solutes == 0 || pressures == 0 || temps == 0) throw UsageError("the grid has no points");
    const Count points = Count(solutes) * pressures * temps;
    if (points > kMaxGridPoints)
        throw UsageError("the grid has " + count_text(points) + " points; at most " +
                         count_text(kMaxGridPoints) + " can be computed at once");
}

namespace {

// The plotted values' room, checked against kMaxPlotValues.
void prepare_plot(GridContext& ctx, Count points)
{
    const GridJob& job = ctx.job;
    if (!Plotting_Built())
        throw UsageError("plotting is not built in this aqvis-cli (Qt 6 Gui and Svg were "
                         "not found when it was built)");
    ctx.plot_members = job.plot_members;
    if (ctx.plot_members.empty()) ctx.plot_members.push_back(Find_Member("lnkH"));
    const Count values = points * (ctx.plot_members.size() + (job.plot_against_pressure ? 1 : 0));
    if (values > kMaxPlotValues)
        throw UsageError("the plot would hold " + count_text(values) + " values; at most " +
                         count_text(kMaxPlotValues));
    ctx.plot_values.assign(ctx.plot_members.size(), std::vector<double>(ctx.total));
    if (job.plot_against_pressure) ctx.plot_pressure.assign(ctx.total, 0.0);
}

// Computes the chunks on the job's threads and writes them in order: rows
// to `out`, lines to the report; stops when the rows cannot be written or a
// stop signal came.
void run_chunks(GridContext& ctx, Output& out, std::FILE* err, std::optional<ReportFile>& report,
                GridSummary& summary)
{
    const GridJob& job = ctx.job;
    // Never more threads than cores; chunks small enough that the results
    // waiting to be written stay within kMaxPointsInFlight.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned threads = job.threads ? std::min(job.threads, cores) : cores;
    const std::size_t window = 2 * static_cast<std::size_t>(threads) + 2;
    const std::size_t chunk_points =
        std::clamp<std::size_t>(std::min(job.chunk_points, kMaxPointsInFlight / window), 1, 1 << 20);
    const std::size_t n_chunks = (ctx.total + chunk_points - 1) / chunk_points;

    Progress progress(err, out.File(), job.progress, job.progress_delay, ctx.total);
    std::size_t done = 0;
    auto make_worker = [&] {
        return [&ctx, chunk_points, r = CaseResult()](std::size_t k, Chunk& c) mutable {
            compute_chunk(ctx, k * chunk_points, std::min(ctx.total, (k + 1) * chunk_points), c, r);
        };
    };
    auto consume = [&](std::size_t, Chunk& c) {
        if (job.format != GridFormat::None) progress.Before_Output();
        out.Write(c.text);
        if (report && report->is_open()) {
            try {
                report->Append_Units(c.report, c.report_ends);
            } catch (const CalcError& e) {
                // The report ends in the last whole line written; later lines
                // are not written either, so it never has a gap.  The rows go on.
                Print_Diagnostic(err, std::string(e.what()) + "; the report ends before this point");
                report->Close_Report();
                summary.output_error = true;
            }
        }
        summary.failed += c.failed;
        done += c.points;
        progress.Update(done);
        return !out.Failed() && !StopSignals::Requested();
    };
    Ordered_Map<Chunk>(n_chunks, threads, window, make_worker, consume);
    summary.stopped = StopSignals::Requested();
    if (summary.stopped)
        progress.Clear();
    else
        progress.Finish(done);
}

}  // namespace

GridSummary Run_Grid(const GridJob& job, Output& out, std::FILE* err)
{
    GridContext ctx{job, job.columns.empty() ? Default_Columns(job.water, job.uncertainty) : job.columns,
                    {}, 0, 0, {}, {}, {}, "."};
    const std::size_t nS = job.solutes.size(), nP = job.pressures.size(), nT = job.temps.size();
    Check_Grid_Size(nS, nP, nT);
    const Count points = Count(nS) * nP * nT;
    ctx.per_solute = nP * nT;
    ctx.total = static_cast<std::size_t>(points);
    GridSummary summary;
    if (job.plot) {
        prepare_plot(ctx, points);
        // Before any point is computed: a plot that cannot be drawn at all
        // is said at once.
        if (!Plot_Module_Ready(err)) {
            summary.output_error = true;
            return summary;
        }
    }

    // Each solute as the window has it after "Accept": every point starts
    // from a copy of it.
    if (!job.water) {
        for (const CatalogueEntry* s : job.solutes) {
            try {
                ctx.prepared.push_back(Prepare_Solute(*s, job.parameters));
            } catch (const CalcError& e) {
                throw UsageError(e.what());  // a parameter left empty in the catalogue
            }
        }
    }

    std::optional<ReportFile> report;
    if (job.report) {
        ctx.decimal_sep = Environment_Decimal_Separator();
        report.emplace(*job.report);
        try {
            report->Open();
        } catch (const CalcError& e) {
            Print_Diagnostic(err, e.what());
            summary.output_error = true;
            return summary;
        }
    }
    summary.points = ctx.total;

    std::string header;
    if (job.format == GridFormat::Csv) Append_Csv_Header(header, ctx.columns, {job.units, job.water});
    if (job.format == GridFormat::Table) Append_Table_Header(header, ctx.columns, {job.units, job.water});
    out.Write(header);
    run_chunks(ctx, out, err, report, summary);
    out.Flush();
#ifdef AQVIS_HAVE_PLOT
    if (job.plot && !out.Failed() && !summary.stopped) write_plot(ctx, err, summary);
#endif
    return summary;
}

}  // namespace aqvis::cli
