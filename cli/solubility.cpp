// `aqvis-cli solubility`: its options, and the run of its points.

#include "cli/solubility.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>

#include "cli/axis.h"
#include "cli/cases.h"
#include "cli/command.h"
#include "cli/stop_signals.h"
#include "cli/ordered_map.h"
#include "cli/progress.h"
#include "io/text.h"
#include "core/errors.h"
#include "results/members.h"

#ifdef AQVIS_HAVE_PLOT
#include "plot/grid_figure.h"
#endif

namespace aqvis::cli {

namespace {

constexpr std::size_t kChunkPoints = 64;

struct Chunk {
    std::string text;
    std::vector<double> plot[2];  // the plotted members of each point
    std::size_t points = 0, failed = 0;
};

struct Context {
    const SolubilityJob& job;
    std::vector<SolubilitySolute> prepared;
    std::size_t per_solute = 0, total = 0;
    const Member* plotted[2] = {};
};

void compute_chunk(const Context& ctx, std::size_t begin, std::size_t end, Chunk& c, CaseResult& scratch,
                   SolubilityResult& r)
{
    const SolubilityJob& job = ctx.job;
    const std::size_t nT = job.temps.size();
    c.text.clear();
    c.points = end - begin;
    c.failed = 0;
    for (auto& p : c.plot) p.clear();
    for (std::size_t i = begin; i < end; ++i) {
        const std::size_t si = i / ctx.per_solute;
        const double second = job.second[(i % ctx.per_solute) / nT];
        const double TC = job.temps[i % nT];
        if (job.bubble)
            Bubble_Pressure(ctx.prepared[si], TC, second, r, scratch);
        else
            Solubility(ctx.prepared[si], TC, second, r, scratch);
        if (!r.ok) ++c.failed;
        const std::string& formula = job.solutes[si]->Formula;
        switch (job.format) {
        case GridFormat::Csv: Append_Solubility_Csv_Row(c.text, r, formula, job.bubble); break;
        case GridFormat::Json: Append_Solubility_Json_Line(c.text, r, formula, job.bubble); break;
        case GridFormat::Table: Append_Solubility_Table_Row(c.text, r, formula, job.bubble); break;
        case GridFormat::None: break;
        }
        for (int k = 0; k < 2; ++k)
            if (ctx.plotted[k])
                c.plot[k].push_back(r.ok ? Solubility_Value(*ctx.plotted[k], r.v)
                                         : std::numeric_limits<double>::quiet_NaN());
    }
}

#ifdef AQVIS_HAVE_PLOT
void write_plot(const Context& ctx, std::vector<double> values[2], std::FILE* err, SolubilitySummary& summary)
{
    const SolubilityJob& job = ctx.job;
    try {
        plot::GridPlotData d;
        for (const CatalogueEntry* s : job.solutes) d.solutes.push_back(s->Formula);
        d.temps = job.temps;
        d.pressures = job.second;
        if (job.bubble) d.curve_unit = "mol/kg";
        // One temperature and several pressures: curves over pressure.
        d.against_pressure = !job.bubble && job.temps.size() == 1 && job.second.size() > 1;
        if (d.against_pressure)
            for (std::size_t i = 0; i < ctx.total; ++i) d.pressure_used.push_back(job.second[i % ctx.per_solute]);
        for (int k = 0; k < 2; ++k)
            if (ctx.plotted[k]) {
                d.members.push_back(ctx.plotted[k]);
                d.values.push_back(std::move(values[k]));
            }
        plot::Write_Figure(plot::Grid_Figure(d), *job.plot);
    } catch (const std::exception& e) {
        Print_Diagnostic(err, e.what());
        summary.output_error = true;
    }
}
#endif

}  // namespace

SolubilitySummary Run_Solubility(const SolubilityJob& job, Output& out, std::FILE* err)
{
    Context ctx{job, {}, 0, 0, {}};
    Check_Grid_Size(job.solutes.size(), job.second.size(), job.temps.size());
    for (const CatalogueEntry* s : job.solutes) {
        try {
            ctx.prepared.push_back(Prepare_Solubility(*s, job.kij));
        } catch (const CalcError& e) {
            throw UsageError(e.what());
        }
    }
    ctx.per_solute = job.second.size() * job.temps.size();
    ctx.total = ctx.per_solute * job.solutes.size();
    if (job.plot) {
        if (!Plotting_Built()) throw UsageError("plotting is not built in this aqvis-cli");
        ctx.plotted[0] = Find_Member(job.bubble ? "Pbar" : "x", Solubility_Members());
        ctx.plotted[1] = Find_Member("y_water", Solubility_Members());
        if (!Plot_Module_Ready(err)) {
            SolubilitySummary failed;
            failed.output_error = true;
            return failed;
        }
    }
    std::string header;
    if (job.format == GridFormat::Csv) Append_Solubility_Csv_Header(header, job.bubble);
    if (job.format == GridFormat::Table) Append_Solubility_Table_Header(header);
    out.Write(header);

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned threads = job.threads ? std::min(job.threads, cores) : cores;
    const std::size_t n_chunks = (ctx.total + kChunkPoints - 1) / kChunkPoints;
    SolubilitySummary summary;
    summary.points = ctx.total;
    std::vector<double> plotted[2];
    Progress progress(err, out.File(), job.progress, 1.0, ctx.total);
    std::size_t done = 0;
    auto make_worker = [&ctx] {
        return [&ctx, scratch = CaseResult(), r = SolubilityResult()](std::size_t k, Chunk& c) mutable {
            compute_chunk(ctx, k * kChunkPoints, std::min(ctx.total, (k + 1) * kChunkPoints), c, scratch, r);
        };
    };
    auto consume = [&](std::size_t, Chunk& c) {
        if (job.format != GridFormat::None) progress.Before_Output();
        out.Write(c.text);
        for (int k = 0; k < 2; ++k) plotted[k].insert(plotted[k].end(), c.plot[k].begin(), c.plot[k].end());
        summary.failed += c.failed;
        done += c.points;
        progress.Update(done);
        return !out.Failed() && !StopSignals::Requested();
    };
    Ordered_Map<Chunk>(n_chunks, threads, 2 * static_cast<std::size_t>(threads) + 2, make_worker, consume);
    summary.stopped = StopSignals::Requested();
    if (summary.stopped)
        progress.Clear();
    else
        progress.Finish(done);
    out.Flush();
#ifdef AQVIS_HAVE_PLOT
    if (job.plot && !out.Failed() && !summary.stopped) write_plot(ctx, plotted, err, summary);
#endif
    return summary;
}

namespace {

class SolubilityCommand : public Command {
public:
    void Declare(CLI::App& sub) override
    {
        sub.add_option("SOLUTES", solutes_, "solutes: formulas separated by commas")->required()->type_name("");
        const auto axis = [](const char* option, std::string& text) {
            return [option, &text](const std::string& value) {
                try {
                    Axis_Size(value);
                    text = value;
                } catch (const UsageError& e) {
                    throw UsageError(std::string(option) + ": " + e.what());
                }
            };
        };
        sub.add_option_function<std::string>("--temp", axis("--temp", temp_),
                                             "temperatures in degC (or --temp-unit): FROM:TO:STEP or V1,V2,...")
            ->required()
            ->type_name("T");
        auto* press = sub.add_option_function<std::string>(
                             "--press", axis("--press", press_), "total pressures in bar (or --press-unit): FROM:TO:STEP or V1,V2,...")
                          ->type_name("P");
        auto* molality = sub.add_option_function<std::string>(
                                "--molality", axis("--molality", molality_),
                                "molalities in mol/kg: the bubble pressure of each (instead of --press)")
                             ->type_name("M");
        press->excludes(molality);
        auto* csv = sub.add_flag("--csv", csv_, "CSV rows (the default without --plot)");
        auto* json = sub.add_flag("--json", json_, "one JSON object per point");
        auto* table = sub.add_flag("--table", table_, "an aligned table");
        csv->excludes(json)->excludes(table);
        json->excludes(table);
        sub.add_option("--kij", kij_, "solute-water binary parameter of the gas phase (default: the catalogue's, or 0)")
            ->type_name("K");
        sub.add_option("--threads", job_.threads, "threads to compute with (default: every core)")
            ->check(CLI::Range(1u, 1024u).description(""))
            ->type_name("N");
        sub.add_flag("--no-progress", no_progress_, "no progress bar on a terminal");
        sub.add_option("--plot", plot_, "also draw x and y_water (bubble pressure and y_water) into FILE.svg or FILE.png")
            ->type_name("FILE");
        sub.footer(
            "Rows go by solute, then pressure (or molality), then temperature.  A point below the\n"
            "saturation pressure of water, at or above its critical temperature, or without a\n"
            "solution is a failed row with its kind; a computed point outside the checked range\n"
            "(0 to 250 degC, up to 1000 bar, x up to 0.03) has a warning.");
    }

    int Run(const SharedOptions& shared, Streams& io) override
    {
        if (press_.empty() == molality_.empty()) throw UsageError("give --press or --molality");
        for (const std::string_view name : Split_Trimmed(solutes_, ',')) {
            const CatalogueEntry* r = shared.Find(name);
            if (!r) throw UsageError("unknown solute \"" + Printable(name) + "\"");
            job_.solutes.push_back(r);
        }
        job_.bubble = !molality_.empty();
        Check_Grid_Size(job_.solutes.size(), Axis_Size(job_.bubble ? molality_ : press_), Axis_Size(temp_));
        job_.temps = Axis_In_Celsius("--temp", Parse_Axis(temp_), shared.units.temp);
        job_.second = job_.bubble ? Parse_Axis(molality_) : Axis_In_Bar(Parse_Axis(press_), shared.units.press);
        if (kij_) {
            try {
                job_.kij = Read_Machine_Number(*kij_);
            } catch (const CalcError&) {
                throw UsageError("--kij: \"" + Printable(*kij_) + "\" is not a number");
            }
        }
        if (plot_) {
            std::string ext = plot_->size() >= 4 ? plot_->substr(plot_->size() - 4) : "";
            for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (ext != ".svg" && ext != ".png") throw UsageError("--plot writes FILE.svg or FILE.png");
        }
        job_.plot = plot_;
        job_.format = json_ ? GridFormat::Json : table_ ? GridFormat::Table : csv_ || !plot_ ? GridFormat::Csv
                                                                                             : GridFormat::None;
        job_.progress = !no_progress_;
        return Run_Stoppable([&] { return Run_Solubility(job_, io.out, io.err); });
    }

private:
    SolubilityJob job_;
    std::string solutes_, temp_, press_, molality_;
    std::optional<std::string> kij_, plot_;
    bool csv_ = false, json_ = false, table_ = false, no_progress_ = false;
};

}  // namespace

std::unique_ptr<Command> Make_Solubility_Command() { return std::make_unique<SolubilityCommand>(); }

}  // namespace aqvis::cli
