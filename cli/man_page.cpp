// aqvis-cli(1): the synopsis, every subcommand with its positionals, options
// and notes, taken from the command line's definition; the exit statuses
// from the one table the help texts use too.

#include <string>

#include "cli/command_line.h"
#include "cli/manual.h"

namespace aqvis::cli {

std::vector<const CLI::App*> Subcommands(const CLI::App& app)
{
    return app.get_subcommands([](const CLI::App*) { return true; });
}

std::vector<OptionDoc> Options_Of(const CLI::App& app)
{
    std::vector<OptionDoc> positionals, options;
    for (const CLI::Option* opt : app.get_options()) {
        OptionDoc d;
        d.option = opt;
        d.description = opt->get_description();
        d.required = opt->get_required();
        d.positional = opt->get_positional() && opt->get_lnames().empty() && opt->get_snames().empty();
        if (d.positional) {
            d.names.push_back(opt->get_name());
            positionals.push_back(std::move(d));
            continue;
        }
        for (const std::string& s : opt->get_snames()) d.names.push_back("-" + s);
        for (const std::string& l : opt->get_lnames()) d.names.push_back("--" + l);
        if (opt->get_type_size() != 0) {
            d.value = opt->get_type_name();
            // A validator's own description follows a colon; the name the
            // option gave its value comes first.
            d.value = d.value.substr(0, d.value.find(':'));
        }
        options.push_back(std::move(d));
    }
    positionals.insert(positionals.end(), options.begin(), options.end());
    return positionals;
}

std::string Own_Footer(const CLI::App& sub)
{
    std::string own = sub.get_footer();
    const CLI::App* parent = sub.get_parent();
    const std::string shared = parent ? parent->get_footer() : "";
    if (!shared.empty() && own.size() >= shared.size() &&
        own.compare(own.size() - shared.size(), shared.size(), shared) == 0)
        own.erase(own.size() - shared.size());
    while (!own.empty() && (own.back() == '\n' || own.back() == ' ')) own.pop_back();
    return own;
}

namespace {

// Text set as roff: backslashes and hyphens escaped, a line that would start
// with a control character protected.
std::string roff(std::string_view text)
{
    std::string out;
    bool line_start = true;
    for (const char c : text) {
        if (line_start && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        line_start = c == '\n';
    }
    return out;
}

std::string usage(const CLI::App& sub)
{
    std::string u = sub.get_name();
    bool options = false;
    for (const OptionDoc& d : Options_Of(sub)) {
        if (d.positional)
            u += " " + d.names.front();
        else if (d.names.back() != "--help")
            options = true;
    }
    return options ? u + " [OPTIONS]" : u;
}

void append_option(std::string& page, const OptionDoc& d)
{
    page += ".TP\n";
    if (d.positional) {
        page += ".I " + roff(d.names.front()) + "\n";
    } else {
        std::string names;
        for (const std::string& n : d.names) names += (names.empty() ? "" : ", ") + roff(n);
        page += d.value.empty() ? ".B " + names + "\n" : ".BI \"" + names + " \" " + roff(d.value) + "\n";
    }
    page += roff(d.description) + (d.required && !d.positional ? " (required)" : "") + "\n";
}

// Shown as written: commands a user can copy.
const char* const kExamples[][2] = {
    {"aqvis-cli list", "the built-in solutes and their parameters"},
    {"aqvis-cli calc N2 25 1", "one case, N2 at 25 degC and 1 bar, as a readable table"},
    {"aqvis-cli calc CO2 150 0 --json", "CO2 at 150 degC on the saturation curve, one JSON object"},
    {"aqvis-cli batch cases.csv --json", "the cases of a file, one per line: solute,temp,press[,xi,a,b]"},
    {"aqvis-cli grid CO2 --temp 25:300:25 --press 1,100,500 --table", "a table over temperatures and pressures"},
    {"aqvis-cli grid N2,O2 --temp 0:350:1 --press 0 --plot lnkH.svg", "lnkH along the saturation curve, drawn"},
    {"aqvis-cli fit N2 n2.csv --json", "xi, a and b of N2 fitted to the measurements in n2.csv"},
    {"aqvis-cli calc CO2 150 0 --catalogue guideline_refit --uncertainty",
     "CO2 refitted to the IAPWS Henry-constant guideline, with the standard uncertainties (k=1) of its "
     "results from the covariance of xi, a and b"},
    {"aqvis-cli solubility CO2 --temp 25,100 --press 1,50 --table", "CO2 dissolved in water and water in the gas"},
};

}  // namespace

std::string Man_Page(const CLI::App& app)
{
    const std::string version(Version());
    std::string page = ".TH AQVIS\\-CLI 1 \"\" \"aqvis " + version + "\" \"User Commands\"\n";
    std::string summary = app.get_description();
    if (!summary.empty() && summary.back() == '.') summary.pop_back();
    if (!summary.empty() && summary[0] >= 'A' && summary[0] <= 'Z') summary[0] = static_cast<char>(summary[0] - 'A' + 'a');
    page += ".SH NAME\naqvis\\-cli \\- " + roff(summary) + "\n";
    page += ".SH SYNOPSIS\n";
    for (const CLI::App* sub : Subcommands(app)) page += ".B aqvis\\-cli\n" + roff(usage(*sub)) + "\n.br\n";
    page += ".B aqvis\\-cli\n\\-\\-help | \\-\\-version\n";
    page += ".SH DESCRIPTION\n" + roff(app.get_description()) +
            "\nTemperatures are in degC and pressures in bar (0 bar below the critical temperature of "
            "water is its saturation pressure); numbers on the command line and in the output use '.' "
            "as the decimal separator.\nStandard output carries the results only; messages go to "
            "standard error.\n.PP\n\\&'aqvis\\-cli COMMAND \\-\\-help' describes a command as this page "
            "does.\n";
    page += ".SH COMMANDS\n";
    for (const CLI::App* sub : Subcommands(app)) {
        page += ".SS \"" + roff(usage(*sub)) + "\"\n" + roff(sub->get_description()) + ".\n";
        for (const OptionDoc& d : Options_Of(*sub)) append_option(page, d);
        const std::string own = Own_Footer(*sub);
        if (!own.empty()) page += ".PP\n" + roff(own) + "\n";
    }
    page += ".SH OPTIONS\n";
    for (const OptionDoc& d : Options_Of(app)) append_option(page, d);
    page += ".SH EXIT STATUS\n";
    for (const ExitStatus& e : kExitStatuses)
        page += ".TP\n.B " + std::to_string(e.status) + "\n" + roff(e.meaning) + "\n";
    page += ".SH FILES\n"
            ".TP\n.I AQVIS.OUT\n"
            "The report file: with \\-\\-report FILE, calc, batch and grid append to FILE a header per "
            "parameter set and a line per computed case, under a lock on the file; the window appends to "
            "AQVIS.OUT in its working directory. Numbers in the report use the decimal separator of the "
            "locale (LC_ALL, LC_NUMERIC, LANG).\n"
            ".TP\n.I catalogue files\n"
            "CSV files of solutes in the format that 'aqvis\\-cli list \\-\\-csv' prints (title line "
            "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5, optionally Tc,Pc,omega,kij, then the "
            "covariance of xi, a and b var_xi,var_a,var_b,cov_xi_a,cov_xi_b,cov_a_b, which \\-\\-uncertainty "
            "propagates; # comment lines allowed), read with \\-\\-catalogue and written by fit \\-\\-save. "
            "The catalogue shipped with the program, guideline_refit, is found by that name.\n"
            ".TP\n.I /usr/share/bash\\-completion/completions/aqvis\\-cli\n"
            "Completion of subcommands, options, solute formulas and option values in bash.\n";
    page += ".SH EXAMPLES\n";
    for (const auto& [command, meaning] : kExamples)
        page += ".TP\n.B " + roff(command) + "\n" + roff(meaning) + "\n";
    page += ".SH SEE ALSO\n.BR aqvis (1)\n";
    return page;
}

}  // namespace aqvis::cli
