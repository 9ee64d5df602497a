// `aqvis-cli fit SOLUTE DATA.csv`: xi, a and b of a solute fitted to
// measurements, reported readably or as JSON, drawn, and saved to a
// catalogue file.

#include <CLI/CLI.hpp>

#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cases.h"
#include "cli/command.h"
#include "cli/fit_output.h"
#include "cli/grid.h"
#include "io/text.h"
#include "driver/case_runner.h"
#include "fit/fit.h"
#include "fit/fit_json.h"
#include "fit/fit_units.h"
#include "results/members.h"
#include "solute/catalogue_file.h"
#include "io/csv_text.h"
#include "io/text_file.h"
#ifdef AQVIS_HAVE_PLOT
#include "plot/fit_figure.h"
#endif

namespace aqvis::cli {

namespace {

// "xi=0.05" and the like into the fixed values; a usage error otherwise.
FitOptions fixed_parameters(const std::vector<std::string>& texts)
{
    FitOptions o;
    for (const std::string& t : texts) {
        const std::size_t eq = t.find('=');
        const std::string name = t.substr(0, eq);
        int j = 0;
        while (j < 3 && name != kFitParameterNames[j]) ++j;
        if (eq == std::string::npos || j == 3)
            throw UsageError("--fix " + Printable(t) + ": give xi=V, a=V or b=V");
        if (o.fixed[j]) throw UsageError("--fix " + name + " given twice");
        try {
            o.fixed[j] = Read_Machine_Number(std::string_view(t).substr(eq + 1));
        } catch (const CalcError&) {
            throw UsageError("--fix " + Printable(t) + ": the value is not a number");
        }
    }
    return o;
}

#ifdef AQVIS_HAVE_PLOT
// Data, fitted curves and residuals of each property; a curve for each
// pressure (or temperature) of the data, over the range of its points.
void write_plot(const CatalogueEntry& solute, const FitResult& r, const std::string& path)
{
    bool one_temperature = true;
    for (const FitRow& row : r.rows)
        if (row.used && row.point.TC != r.rows.front().point.TC) one_temperature = false;
    plot::FitPlotData d;
    d.against_pressure = one_temperature;
    char title[200];
    std::snprintf(title, sizeof title, "%s fitted: \xCE\xBE = %.5g, a = %.5g, b = %.5g", solute.Formula.c_str(),
                  r.value[0], r.value[1], r.value[2]);
    d.title = title;
    const PreparedSolute fitted = Prepare_Solute(solute, SoluteParameters{r.value[0], r.value[1], r.value[2]});
    for (const PropertyRms& pr : r.rms) {
        plot::FitPlotProperty p;
        p.member = Find_Member(Property_Name(pr.property));
        std::map<double, std::pair<double, double>> ranges;  // other variable -> x range
        for (const FitRow& row : r.rows) {
            if (!row.used || row.point.property != pr.property) continue;
            const double x = d.against_pressure ? row.pressure_used.value_or(row.point.Pbar) : row.point.TC;
            p.data_x.push_back(x);
            p.data_y.push_back(row.point.value);
            p.residual.push_back(row.residual);
            auto [it, added] = ranges.try_emplace(d.against_pressure ? row.point.TC : row.point.Pbar, x, x);
            it->second.first = std::min(it->second.first, x);
            it->second.second = std::max(it->second.second, x);
        }
        for (const auto& [other, range] : ranges) {
            const int steps = range.second > range.first ? 200 : 0;
            for (int k = 0; k <= steps; ++k) {
                const double x = steps ? range.first + (range.second - range.first) * k / steps : range.first;
                const CaseResult c = d.against_pressure ? Run_Case(fitted, other, x) : Run_Case(fitted, x, other);
                p.curve_x.push_back(x);
                p.curve_y.push_back(c.ok ? Member_Value(*p.member, c.values, c.derived) : std::nan(""));
            }
            p.curve_x.push_back(std::nan(""));
            p.curve_y.push_back(std::nan(""));
        }
        d.properties.push_back(std::move(p));
    }
    plot::Write_Figure(plot::Fit_Figure(d), path);
}
#endif

// The covariance of a fit as a catalogue keeps it (the upper triangle of the
// fit's matrix), and the note that says where it came from; none when the
// fit gives no uncertainty.
std::optional<ParameterCovariance> Saved_Covariance(const FitResult& r, std::string& note)
{
    note = "xi, a and b fitted to " + std::to_string(r.n) + " points by aqvis-cli fit";
    for (int j = 0; j < 3; ++j)
        if (r.fixed[j]) note += std::string(", ") + kFitParameterNames[j] + " held";
    if (!r.has_uncertainty) {
        note += "; covariance unknown (" + (r.note.empty() ? "no sigmas and no degree of freedom" : r.note) + ")";
        return std::nullopt;
    }
    const auto& m = r.covariance;
    const ParameterCovariance c = Covariance_From({m[0][0], m[1][1], m[2][2], m[0][1], m[0][2], m[1][2]});
    if (const std::string problem = Covariance_Problem(c); !problem.empty()) {
        note += "; covariance not kept: " + problem;
        return std::nullopt;
    }
    char how[160];
    if (r.covariance_scaled)
        std::snprintf(how, sizeof how, "; covariance from the scatter (no sigmas: scaled by chi2/dof = %.6g)",
                      r.chi2 / r.dof);
    else if (r.dof > 0)
        std::snprintf(how, sizeof how, "; covariance from the sigmas of the data (chi2/dof = %.6g)", r.chi2 / r.dof);
    else
        std::snprintf(how, sizeof how, "; covariance from the sigmas of the data");
    note += how;
    return c;
}

class FitCommand : public Command {
public:
    void Declare(CLI::App& sub) override
    {
        sub.add_option("SOLUTE", solute_, "formula of the solute, as 'aqvis-cli list' prints it")
            ->required()
            ->type_name("");
        sub.add_option("DATA", data_,
                       "CSV file of measurements with the columns temp,press,property,value[,sigma] "
                       "in any order (degC and bar, 0 = saturation, or --temp-unit and --press-unit; lnkH, "
                       "K, GTaqua, S2, V2, Cp2 or HTaqua in the units of 'calc --json', energies in "
                       "--energy-unit; sigma the standard uncertainty); other columns are not read, and "
                       "with a solute column only the rows of SOLUTE are; - reads standard input")
            ->required()
            ->type_name("");
        sub.add_option("--solute-column", solute_column_,
                       "the column of DATA that names each row's solute (default: solute, when there)")
            ->type_name("NAME");
        sub.add_option("--fix", fix_, "hold a parameter at a value: xi=V, a=V or b=V (may be repeated)")
            ->type_name("NAME=V")
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        sub.add_flag("--json", json_, "the fit as one JSON object");
        sub.add_option("--plot", plot_, "draw data, fitted curves and residuals (.svg or .png)")
            ->type_name("FILE");
        sub.add_option("--save", save_,
                       "write the fitted record into this catalogue file (created, or updated in place)")
            ->type_name("FILE");
    }

    int Run(const SharedOptions& shared, Streams& io) override
    {
        const CatalogueEntry* solute = shared.Find(solute_);
        if (!solute)
            throw UsageError("unknown solute \"" + Printable(solute_) +
                             "\": use one of the formulas that 'aqvis-cli list' prints");
        FitOptions options = fixed_parameters(fix_);
#ifndef AQVIS_HAVE_PLOT
        if (plot_) throw UsageError("--plot: this aqvis-cli was built without plotting");
#endif
        FitData data;
        std::vector<FitPoint> points;  // in degC, bar and calories
        try {
            data = read_data(io);
            points = Points_In_Model_Units(data.points, shared.units);
        } catch (const CalcError& e) {
            Print_Diagnostic(io.err, (data_ == "-" || data.points.empty() ? "" : data_ + ": ") + e.what());
            return 2;
        }
        options.sigma_known = data.has_sigma;
        if (plot_ && !Plot_Module_Ready(io.err)) return 1;
        FitResult r;
        try {
            r = Fit_Solute(*solute, points, options);
        } catch (const FitError& e) {
            Print_Diagnostic(io.err, "cannot fit " + solute_ + ": " + e.what());
            return 1;
        }
        FitResult shown = r;
        Result_In_Given_Units(shown, data.points, shared.units, FrontEnd::CommandLine);
        int status = report(shown, io);
        // The catalogue is saved before the plot is drawn: a plot that cannot
        // be drawn at all ends the program.
        if (save_ && !save(*solute, r, io)) status = 1;
#ifdef AQVIS_HAVE_PLOT
        if (plot_) {
            try {
                write_plot(*solute, r, *plot_);
            } catch (const std::runtime_error& e) {
                Print_Diagnostic(io.err, e.what());
                status = 1;
            }
        }
#endif
        return status;
    }

private:
    // The data file's rows of the solute, with a note of what was not read.
    FitData read_data(Streams& io) const
    {
        FitDataSelection selection;
        selection.solute = solute_;
        if (solute_column_) {
            if (solute_column_->empty()) throw UsageError("--solute-column: an empty name");
            selection.column = *solute_column_;
            selection.column_required = true;
        }
        FitData data = data_ == "-" ? Read_Fit_Data_Text(Read_Text_Stream(io.in, "the standard input"), selection)
                                    : Read_Fit_Data_File(data_, selection);
        const std::string source = data_ == "-" ? "the standard input" : data_;
        if (data.other_rows > 0) {
            std::string names;
            for (const std::string& n : data.other_solutes) names += (names.empty() ? "" : ", ") + n;
            Print_Diagnostic(io.err, source + ": " + std::to_string(data.other_rows) + " rows of other solutes (" +
                                         names + ") left out");
        }
        if (!data.unused_columns.empty()) {
            std::string names;
            for (const std::string& n : data.unused_columns) names += (names.empty() ? "'" : ", '") + n + "'";
            Print_Diagnostic(io.err, source + ": columns not read: " + names);
        }
        return data;
    }

    // The fit on standard output, and the points left out on standard error.
    int report(const FitResult& r, Streams& io) const
    {
        std::string text;
        if (json_)
            Append_Fit_Json(text, r);
        else
            Append_Fit_Text(text, r);
        io.out.Write(text);
        for (const FitRow& row : r.rows)
            if (!row.warning.empty())
                Print_Diagnostic(io.err, "warning: line " + std::to_string(row.point.line) + ": " + row.warning);
        if (!r.failed()) return 0;
        std::string lines;
        for (const FitRow& row : r.rows)
            if (!row.used) lines += (lines.empty() ? "" : ", ") + std::to_string(row.point.line);
        Print_Diagnostic(io.err, std::to_string(r.failed()) + " of " + std::to_string(r.rows.size()) +
                                     " points could not be computed and were left out (line " + lines + ")");
        return 1;
    }

    bool save(const CatalogueEntry& solute, const FitResult& r, Streams& io) const
    {
        CatalogueEntry fitted = solute;
        fitted.Xi = r.value[0];
        fitted.Coef1 = r.value[1];
        fitted.Coef2 = r.value[2];
        std::string note;
        fitted.covariance = Saved_Covariance(r, note);
        try {
            Save_Catalogue_Entry(*save_, fitted, note);
            return true;
        } catch (const CalcError& e) {
            Print_Diagnostic(io.err, e.what());
            return false;
        }
    }

    std::string solute_, data_;
    std::optional<std::string> solute_column_;
    std::vector<std::string> fix_;
    std::optional<std::string> plot_, save_;
    bool json_ = false;
};

}  // namespace

std::unique_ptr<Command> Make_Fit_Command() { return std::make_unique<FitCommand>(); }

}  // namespace aqvis::cli
