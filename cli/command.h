#pragma once
// What every subcommand of aqvis-cli is made of: the one usage-error type,
// the streams it works on, the options several subcommands share, and the
// interface each subcommand implements.  app.cpp lists the subcommands and
// declares their shared options, in one place.

#include <CLI/Error.hpp>

#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/output.h"
#include "results/units.h"
#include "solute/catalogue.h"

namespace CLI {
class App;
}

namespace aqvis::cli {

// A command line that cannot be carried out: the program says why and ends
// with exit status 2.  The parser's own errors are of the same family.
class UsageError : public CLI::ParseError {
public:
    explicit UsageError(std::string message) : CLI::ParseError("UsageError", std::move(message), 2) {}
};

struct Streams {
    std::FILE* in;   // batch reads its cases from here
    Output& out;     // data only
    std::FILE* err;  // diagnostics and the progress bar
};

// The texts of --xi, --a and --b; absent: the catalogue's value.
struct ParameterTexts {
    std::optional<std::string> xi, a, b;
};

// Options that more than one subcommand takes.  A subcommand lists the ones
// it takes (SharedOption bits) and finds their values here after parsing.
struct SharedOptions {
    bool json = false;                  // --json: one JSON object per case
    std::optional<std::string> report;  // --report FILE: append to this report
    ParameterTexts parameters;          // --xi, --a, --b
    std::optional<std::string> catalogue_file;  // --catalogue FILE: solutes added to the built-in ones
    Units units;  // --temp-unit, --press-unit, --energy-unit
    bool uncertainty = false;  // --uncertainty: the u_ members too

    // The solutes the command line can name: the nineteen built-in ones
    // (and, with an option that reads a catalogue file, the user's).
    Catalogue catalogue;

    std::span<const CatalogueEntry> Solutes() const { return catalogue.entries(); }
    // The solute called `formula`, or nullptr.
    const CatalogueEntry* Find(std::string_view formula) const { return catalogue.Find(formula); }
};

enum SharedOption : unsigned {
    kJsonOption = 1u << 0,
    kReportOption = 1u << 1,
    kParameterOptions = 1u << 2,
    kCatalogueOption = 1u << 3,
    kUnitOptions = 1u << 4,   // --temp-unit and --press-unit
    kEnergyOption = 1u << 5,  // --energy-unit
    kUncertaintyOption = 1u << 6,  // --uncertainty
};

class Command {
public:
    virtual ~Command() = default;
    // Adds the subcommand's own positionals and options to `sub`.
    virtual void Declare(CLI::App& sub) = 0;
    // Called after the options have been parsed and checked; may throw
    // UsageError for what the parser cannot see.  Returns the exit status:
    // 0 every case computed, 1 a case failed or a file could not be written.
    virtual int Run(const SharedOptions& shared, Streams& io) = 0;
};

std::unique_ptr<Command> Make_List_Command();
std::unique_ptr<Command> Make_Calc_Command();
std::unique_ptr<Command> Make_Batch_Command();
std::unique_ptr<Command> Make_Grid_Command();
std::unique_ptr<Command> Make_Fit_Command();
std::unique_ptr<Command> Make_Solubility_Command();
std::unique_ptr<Command> Make_Water_Command();

// Writes "aqvis-cli: " and `message` (made printable) and a line end to `err`.
void Print_Diagnostic(std::FILE* err, std::string_view message);

}  // namespace aqvis::cli
