// The command line of aqvis-cli: the subcommands and the options they share
// are declared here, in one place; each subcommand adds its own.

#include "cli/app.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/command_line.h"
#include "io/text.h"
#include "core/errors.h"
#include "solute/catalogue_file.h"

namespace aqvis::cli {

namespace {

struct Subcommand {
    const char* name;
    const char* description;
    unsigned shared;  // SharedOption bits: the shared options it takes
    std::unique_ptr<Command> (*make)();
};

const Subcommand kSubcommands[] = {
    {"list", "print the solutes of the catalogue with their parameters", kCatalogueOption,
     Make_List_Command},
    {"calc", "compute one case",
     kJsonOption | kReportOption | kParameterOptions | kCatalogueOption | kUnitOptions | kEnergyOption |
         kUncertaintyOption,
     Make_Calc_Command},
    {"batch", "compute the cases of a CSV file, one per line",
     kJsonOption | kReportOption | kCatalogueOption | kUnitOptions | kEnergyOption | kUncertaintyOption,
     Make_Batch_Command},
    {"grid", "compute solutes (or water alone) over a grid of temperatures and pressures",
     kReportOption | kParameterOptions | kCatalogueOption | kUnitOptions | kEnergyOption | kUncertaintyOption,
     Make_Grid_Command},
    {"fit", "fit a solute's xi, a and b to measurements", kCatalogueOption | kUnitOptions | kEnergyOption,
     Make_Fit_Command},
    {"water", "properties of water alone at one temperature and pressure", kJsonOption | kUnitOptions | kEnergyOption,
     Make_Water_Command},
    {"solubility", "gas-liquid equilibrium of solutes with water: solubility, or bubble pressure at a molality",
     kCatalogueOption | kUnitOptions, Make_Solubility_Command},
};

// A value that must not be empty: an empty text is most likely a variable
// that was not set, and leaving the option out is the way to ask for the
// default.
const CLI::Validator kNotEmpty(
    [](std::string& v) -> std::string {
        return v.empty() ? "an empty value (leave the option out for the default)" : "";
    },
    "", "");

// --NAME UNIT, given at most once, one of `choices` ("C|K"); `set` takes it.
template <class Unit>
void unit_option(CLI::App& sub, const std::string& name, const char* choices, const char* help,
                 std::optional<Unit> (*parse)(std::string_view), Unit& target)
{
    // Every occurrence is taken, so that one given twice is refused here
    // with the units allowed, rather than by the parser's count.
    sub.add_option_function<std::vector<std::string>>(
           name,
           [name, choices, parse, &target](const std::vector<std::string>& given) {
               if (given.size() != 1)
                   throw UsageError(name + " is given " + std::to_string(given.size()) +
                                    " times: give it once, one of " + choices);
               const std::optional<Unit> u = parse(given[0]);
               if (!u)
                   throw UsageError(name + ": \"" + Printable(given[0]) + "\" is not a unit here; use one of " +
                                    choices + " (as written, case included)");
               target = *u;
           },
           help)
        ->type_size(1)
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->type_name(choices);
}

// The folder of the data shipped with the program: share/aqvis beside the
// folder of the program (bin/ when installed, cli/ in a build tree, which
// holds a copy); "" when the program's own path is not known.
std::string Shipped_Data_Folder()
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : (self.parent_path().parent_path() / "share" / "aqvis").string();
}

void declare_shared(CLI::App& sub, SharedOptions& shared, unsigned which)
{
    if (which & kUnitOptions) {
        unit_option(sub, "--temp-unit", Temp_Unit_Choices(),
                    "unit of the temperatures given: C (degC, the default) or K; TC stays in degC "
                    "and TK in K in the output",
                    Parse_Temp_Unit, shared.units.temp);
        unit_option(sub, "--press-unit", Press_Unit_Choices(),
                    "unit of the pressures given: bar (the default), MPa, kPa or Pa; Pbar and Psat "
                    "stay in bar in the output",
                    Parse_Press_Unit, shared.units.press);
    }
    if (which & kEnergyOption)
        unit_option(sub, "--energy-unit", Energy_Unit_Choices(),
                    "unit of every energy, entropy and heat capacity shown: cal (the default) or J "
                    "(the calorie value x 4.184)",
                    Parse_Energy_Unit, shared.units.energy);
    if (which & kJsonOption) sub.add_flag("--json", shared.json, "one JSON object per case");
    if (which & kUncertaintyOption)
        sub.add_flag("--uncertainty", shared.uncertainty,
                     "also u_lnkH, u_K, u_GTaqua, u_HTaqua, u_S2, u_V2 and u_Cp2: standard uncertainties "
                     "(k=1) propagated exactly from the covariance of the solute's xi, a and b in its "
                     "catalogue file (e.g. --catalogue guideline_refit), in the units of their members; "
                     "they do not include the model's own error");
    if (which & kReportOption)
        sub.add_option("--report", shared.report, "append the results to this report file")
            ->check(kNotEmpty)
            ->type_name("FILE");
    if (which & kCatalogueOption)
        sub.add_option("--catalogue", shared.catalogue_file,
                       "CSV file of solutes to add to the built-in ones (a formula that exists is "
                       "replaced); the format of 'aqvis-cli list --csv'; or the name of a catalogue "
                       "shipped with the program: guideline_refit (nine gases refitted to the IAPWS "
                       "Henry-constant guideline, with their covariance)")
            ->check(kNotEmpty)
            ->type_name("FILE");
    if (which & kParameterOptions) {
        sub.add_option("--xi", shared.parameters.xi, "parameter xi (default: the catalogue's)")
            ->check(kNotEmpty)
            ->type_name("X");
        sub.add_option("--a", shared.parameters.a, "parameter a in cm3/g (default: the catalogue's)")
            ->check(kNotEmpty)
            ->type_name("A");
        sub.add_option("--b", shared.parameters.b, "parameter b in cm3/g (default: the catalogue's)")
            ->check(kNotEmpty)
            ->type_name("B");
    }
}

// The arguments for the parser, last first.  A number such as -.5 is given
// as -0.5, which the parser takes for a value rather than an option.
std::vector<std::string> parser_arguments(int argc, char** argv)
{
    std::vector<std::string> args;
    for (int i = argc - 1; i >= 1; --i) {
        std::string a = argv[i];
        if (a.size() >= 3 && a[0] == '-' && a[1] == '.' && a[2] >= '0' && a[2] <= '9' &&
            a.find_first_not_of("0123456789.eE+-", 1) == std::string::npos)
            a.insert(1, "0");
        args.push_back(std::move(a));
    }
    // "aqvis-cli help" as earlier versions took it.
    if (args.size() == 1 && args[0] == "help") args[0] = "--help";
    return args;
}

std::string common_footer()
{
    std::string text =
        "Temperatures are in degC, pressures in bar and energies in cal unless --temp-unit,\n"
        "--press-unit or --energy-unit say otherwise; numbers use '.' as the decimal separator.\n"
        "Outside 0-500 degC and 1-2000 bar a state is still computed, with a warning.\n"
        "docs/model.md gives the equations, units and conventions.\n"
        "Exit status:";
    for (const ExitStatus& e : kExitStatuses)
        text += std::string(e.status == 0 ? " " : "\n            ") + std::to_string(e.status) + " " + e.meaning;
    return text + "\n'aqvis-cli COMMAND --help' describes a command.";
}

// The subcommand a command line names: its first argument that is not an
// option (the program itself takes no option with a value); "" when it names
// none.
std::string_view named_subcommand(const std::vector<std::string>& args_last_first)
{
    for (auto it = args_last_first.rbegin(); it != args_last_first.rend(); ++it) {
        if (it->starts_with('-')) continue;
        for (const Subcommand& s : kSubcommands)
            if (*it == s.name) return s.name;
        return "";
    }
    return "";
}

int run(int argc, char** argv, Streams& io)
{
    std::vector<std::string> args = parser_arguments(argc, argv);
    const std::unique_ptr<CommandLine> line = Make_Command_Line(named_subcommand(args));
    CLI::App& app = line->app;
    SharedOptions& shared = line->shared;
    try {
        app.parse(args);
        if (shared.catalogue_file) {
            try {
                const std::string folders[] = {Shipped_Data_Folder()};
                shared.catalogue = Load_Catalogue(Catalogue_Path(*shared.catalogue_file, folders));
            } catch (const CalcError& e) {
                const bool name = shared.catalogue_file->find('/') == std::string::npos;
                Print_Diagnostic(io.err, std::string("catalogue ") + e.what() +
                                             (name && !std::filesystem::exists(*shared.catalogue_file)
                                                  ? " (nor is it a catalogue shipped with the program: guideline_refit)"
                                                  : ""));
                return 2;
            }
        }
        for (auto& [sub, command] : line->commands)
            if (sub->parsed()) return command->Run(shared, io);
        throw UsageError("no command given");
    } catch (const CLI::CallForVersion& e) {
        io.out.Write(std::string(e.what()) + "\n");
        return 0;
    } catch (const CLI::CallForHelp&) {
        io.out.Write(app.help());
        return 0;
    } catch (const CLI::ParseError& e) {
        std::string hint = "aqvis-cli --help";
        for (const CLI::App* sub : app.get_subcommands()) hint = "aqvis-cli " + sub->get_name() + " --help";
        Print_Diagnostic(io.err, std::string(e.what()) + "\n'" + hint + "' lists the options");
        return 2;
    }
}

}  // namespace

std::string_view Version() { return AQVIS_VERSION; }

std::unique_ptr<CommandLine> Make_Command_Line(std::string_view only)
{
    auto line = std::make_unique<CommandLine>();
    CLI::App& app = line->app;
    app.name("aqvis-cli");
    app.description(
        "Standard thermodynamic properties of a neutral solute in water at infinite dilution.");
    app.require_subcommand(1);
    app.set_version_flag("--version", "aqvis-cli " + std::string(Version()),
                         "print the version and exit");
    const std::string footer = common_footer();
    app.footer(footer);
    for (const Subcommand& s : kSubcommands) {
        CLI::App* sub = app.add_subcommand(s.name, s.description);
        if (!only.empty() && only != s.name) continue;
        std::unique_ptr<Command> command = s.make();
        command->Declare(*sub);
        declare_shared(*sub, line->shared, s.shared);
        if (sub->get_footer() != footer) sub->footer(sub->get_footer() + "\n\n" + footer);
        line->commands.emplace_back(sub, std::move(command));
    }
    return line;
}

void Print_Diagnostic(std::FILE* err, std::string_view message)
{
    std::string text = "aqvis-cli: ";
    // Line ends in a message are kept; everything else that could drive a
    // terminal is made visible.
    std::size_t start = 0;
    while (true) {
        const std::size_t nl = message.find('\n', start);
        Append_Printable(text, message.substr(start, nl == std::string_view::npos ? nl : nl - start));
        if (nl == std::string_view::npos) break;
        text += '\n';
        start = nl + 1;
    }
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), err);
    std::fflush(err);
}

int Run(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err)
{
    Output output(out);
    Streams io{in, output, err};
    int status;
    try {
        status = run(argc, argv, io);
    } catch (const std::bad_alloc&) {
        Print_Diagnostic(err, "not enough memory");
        status = 1;
    }
    if (!output.Flush()) {
        // A reader that went away (`| head -1`) needs no message.
        if (output.Error() != EPIPE)
            Print_Diagnostic(err, std::string("cannot write the output: ") + std::strerror(output.Error()));
        if (status == 0) status = 1;
    }
    return status;
}

}  // namespace aqvis::cli
