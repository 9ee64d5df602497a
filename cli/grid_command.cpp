// The command line of `aqvis-cli grid`: its options, and the job they make.

#include <CLI/CLI.hpp>

#include <cctype>
#include <charconv>
#include <memory>
#include <string>

#include "cli/axis.h"
#include "cli/cases.h"
#include "cli/command.h"
#include "cli/grid.h"
#include "cli/stop_signals.h"
#include "io/text.h"
#include "core/errors.h"

namespace aqvis::cli {

namespace {

std::string member_names(std::span<const Member> members)
{
    std::string s;
    for (const Member& m : members) {
        if (!s.empty()) s += ", ";
        s += m.name;
    }
    return s;
}

// "MEMBER,..." (or "all" where `all` allows it) as members of `members`.
Columns member_list(const std::string& option, const std::string& text, bool all,
                    std::span<const Member> members)
{
    Columns c;
    if (all && text == "all") {
        for (const Member& m : members) c.push_back(&m);
        return c;
    }
    for (const std::string_view name : Split_Trimmed(text, ',')) {
        const Member* m = Find_Member(name, members);
        if (!m && Find_Member(name, Uncertainty_Members()))
            throw UsageError(option + ": " + std::string(name) + " needs --uncertainty");
        if (!m)
            throw UsageError(option + ": no member \"" + Printable(name) + "\"; the members are: " +
                             member_names(members) + (all ? " (or all)" : ""));
        c.push_back(m);
    }
    return c;
}

class GridCommand : public Command {
public:
    void Declare(CLI::App& sub) override
    {
        sub.add_option("SOLUTES", solutes_,
                       "solutes: formulas separated by commas, or all; water for water alone")
            ->required()
            ->type_name("");
        declare_axes(sub);
        declare_output(sub);
        declare_plot(sub);
        sub.footer(
            "Rows go by solute, then pressure, then temperature.  With --plot and no format, no rows\n"
            "are written.");
    }

    int Run(const SharedOptions& shared, Streams& io) override
    {
        job_.water = solutes_ == "water" && !shared.Find("water");
        job_.solutes = job_.water ? std::vector<const CatalogueEntry*>{nullptr} : solutes(shared);
        if (job_.water && (shared.report || shared.parameters.xi || shared.parameters.a || shared.parameters.b))
            throw UsageError("grid water: water alone has no solute, so no --report, --xi, --a or --b");
        job_.uncertainty = shared.uncertainty;
        if (shared.uncertainty) {
            if (job_.water) throw UsageError("grid water: water alone has no solute, so no --uncertainty");
            const bool given = shared.parameters.xi || shared.parameters.a || shared.parameters.b;
            for (const CatalogueEntry* s : job_.solutes) Require_Uncertainty(*s, given);
        }
        const std::span<const Member> members = job_.water ? Water_Members() : Output_Members(shared.uncertainty);
        if (columns_) job_.columns = member_list("--columns", *columns_, true, members);
        if (y_) job_.plot_members = member_list("--y", *y_, false, members);
        if (job_.water && !y_ && plot_) job_.plot_members = {Find_Member("dH2O", members)};
        Check_Grid_Size(job_.solutes.size(), press_size_, temp_size_);
        job_.units = shared.units;
        job_.temps = Axis_In_Celsius("--temp", Parse_Axis(temp_), shared.units.temp);
        job_.pressures = Axis_In_Bar(Parse_Axis(press_), shared.units.press);
        const auto parameter = [](const std::optional<std::string>& text, std::optional<double>& dst,
                                  const char* option) {
            if (!text) return;
            try {
                dst = Read_Machine_Number(*text);
            } catch (const CalcError&) {
                throw UsageError(std::string(option) + ": \"" + Printable(*text) + "\" is not a number");
            }
        };
        parameter(shared.parameters.xi, job_.parameters.xi, "--xi");
        parameter(shared.parameters.a, job_.parameters.a, "--a");
        parameter(shared.parameters.b, job_.parameters.b, "--b");
        if (!job_.columns.empty() && json_)
            throw UsageError("--columns goes with --csv or --table (JSON lines carry every member)");
        job_.plot = plot_;
        job_.format = json_    ? GridFormat::Json
                      : table_ ? GridFormat::Table
                      : csv_ || !plot_ ? GridFormat::Csv
                                       : GridFormat::None;
        // By default the curves run over temperature, unless there is only
        // one temperature and several pressures.
        job_.plot_against_pressure = x_ ? (*x_ == "press" || *x_ == "pressure")
                                        : job_.temps.size() == 1 && job_.pressures.size() > 1;
        job_.report = shared.report;
        job_.progress = !no_progress_;

        return Run_Stoppable([&] { return Run_Grid(job_, io.out, io.err); });
    }

private:
    // --temp and --press.
    void declare_axes(CLI::App& sub)
    {
        // Checked as they are read; their values are made once the size of
        // the whole grid is known to be within bounds.
        const auto axis = [](const char* option, std::string& text, std::size_t& size) {
            return [option, &text, &size](const std::string& value) {
                try {
                    size = Axis_Size(value);
                    text = value;
                } catch (const UsageError& e) {
                    throw UsageError(std::string(option) + ": " + e.what());
                }
            };
        };
        sub.add_option_function<std::string>("--temp", axis("--temp", temp_, temp_size_),
                                             "temperatures in degC (or --temp-unit): FROM:TO:STEP or V1,V2,...")
            ->required()
            ->type_name("T");
        sub.add_option_function<std::string>(
               "--press", axis("--press", press_, press_size_),
               "pressures in bar (or --press-unit; 0: saturation pressure): FROM:TO:STEP or V1,V2,...")
            ->required()
            ->type_name("P");
    }

    // The format of the rows, their columns, threads and the progress bar.
    void declare_output(CLI::App& sub)
    {
        auto* csv = sub.add_flag("--csv", csv_, "CSV rows (the default without --plot)");
        auto* json = sub.add_flag("--json", json_, "one JSON object per point");
        auto* table = sub.add_flag("--table", table_, "an aligned table");
        csv->excludes(json)->excludes(table);
        json->excludes(table);
        sub.add_option(
            "--columns", columns_,
            "CSV and table columns: MEMBER,... or all "
            "(default TC,Pbar,dH2O,lnkH,K,GTaqua,S2,V2,Cp2, with --uncertainty followed by "
            "u_lnkH,u_K,u_GTaqua,u_S2,u_V2,u_Cp2; for water, every member of water)")
            ->type_name("LIST");
        sub.add_option("--threads", job_.threads, "threads to compute with (default: every core)")
            ->check(CLI::Range(1u, 1024u).description(""))
            ->type_name("N");
        sub.add_flag("--no-progress", no_progress_, "no progress bar on a terminal");
    }

    // --plot and what goes into it.
    void declare_plot(CLI::App& sub)
    {
        auto* plot = sub.add_option("--plot", plot_, "also draw the results into FILE.svg or FILE.png")
                         ->check(CLI::Validator(
                             [](std::string& path) -> std::string {
                                 std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : "";
                                 for (char& c : ext)
                                     c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                                 return ext == ".svg" || ext == ".png" ? ""
                                                                       : "--plot writes FILE.svg or FILE.png";
                             },
                             "", ""))
                         ->type_name("FILE");
        sub.add_option("--y", y_, "members to plot, one panel each (default lnkH; dH2O for water)")
            ->type_name("LIST")
            ->needs(plot);
        sub.add_option("--x", x_, "curves over temp or press (default temp, or press for one temperature)")
            ->check(CLI::IsMember({"temp", "temperature", "press", "pressure"}).description(""))
            ->type_name("temp|press")
            ->needs(plot);
        sub.add_option_function<std::string>(
               "--size",
               [this](const std::string& v) {
                   const auto x = v.find('x');
                   int w = 0, h = 0;
                   const bool ok = x != std::string::npos &&
                                   std::from_chars(v.data(), v.data() + x, w).ptr == v.data() + x &&
                                   std::from_chars(v.data() + x + 1, v.data() + v.size(), h).ptr ==
                                       v.data() + v.size();
                   if (!ok || w < 16 || h < 16 || w > 20000 || h > 20000)
                       throw UsageError("--size is WIDTHxHEIGHT in pixels, 16 to 20000 each");
                   job_.plot_width = w;
                   job_.plot_height = h;
               },
               "plot size in pixels, WIDTHxHEIGHT (default 900x600)")
            ->type_name("WxH")
            ->needs(plot);
    }

    std::vector<const CatalogueEntry*> solutes(const SharedOptions& shared) const
    {
        std::vector<const CatalogueEntry*> list;
        if (solutes_ == "all") {
            for (const CatalogueEntry& e : shared.Solutes()) list.push_back(&e);
            return list;
        }
        for (const std::string_view name : Split_Trimmed(solutes_, ',')) {
            const CatalogueEntry* r = shared.Find(name);
            if (!r) {
                std::string known;
                for (const CatalogueEntry& s : shared.Solutes()) known += (known.empty() ? "" : " ") + s.Formula;
                throw UsageError("unknown solute \"" + Printable(name) + "\"; the solutes are: " + known +
                                 " (or all)");
            }
            list.push_back(r);
        }
        return list;
    }

    GridJob job_;
    std::string solutes_, temp_, press_;
    std::size_t temp_size_ = 0, press_size_ = 0;
    bool csv_ = false, json_ = false, table_ = false, no_progress_ = false;
    std::optional<std::string> plot_, x_, columns_, y_;
};

}  // namespace

std::unique_ptr<Command> Make_Grid_Command() { return std::make_unique<GridCommand>(); }

}  // namespace aqvis::cli
