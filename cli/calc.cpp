// `aqvis-cli list` and `aqvis-cli calc SOLUTE TEMP PRESS`.

#include <CLI/CLI.hpp>

#include <cmath>
#include <memory>
#include <string>

#include "cli/case_report.h"
#include "cli/cases.h"
#include "cli/command.h"
#include "cli/rows.h"
#include "io/text.h"
#include "io/csv_text.h"
#include "solute/catalogue_file.h"

namespace aqvis::cli {

namespace {

// A parameter left empty in a catalogue file, to be fitted, shows as "-".
std::string parameter_text(double v) { return std::isnan(v) ? "-" : Csv_Number(v); }

class ListCommand : public Command {
public:
    void Declare(CLI::App& sub) override
    {
        sub.add_flag("--csv", csv_,
                     "CSV in the format of a catalogue file: Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5");
    }

    int Run(const SharedOptions& shared, Streams& io) override
    {
        if (csv_) {
            io.out.Write(Catalogue_Csv(shared.Solutes()));
            return 0;
        }
        std::string text;
        char buf[300];
        std::snprintf(buf, sizeof buf, "%-8s %10s %10s %10s %10s %9s %8s %8s %9s  %s\n", "Formula",
                      "Xi", "a", "b", "G0gas", "S0gas", "agas", "bgasE3", "cgasEmin5", "menu");
        text += buf;
        for (const CatalogueEntry& r : shared.Solutes()) {
            std::snprintf(buf, sizeof buf, "%-8s %10s %10s %10s %10s %9s %8s %8s %9s  %s\n",
                          Printable(r.Formula).c_str(), parameter_text(r.Xi).c_str(),
                          parameter_text(r.Coef1).c_str(), parameter_text(r.Coef2).c_str(),
                          Csv_Number(r.G0gas).c_str(), Csv_Number(r.S0gas).c_str(),
                          Csv_Number(r.agas).c_str(), Csv_Number(r.bgasE3).c_str(),
                          Csv_Number(r.cgasEmin5).c_str(),
                          !r.built_in ? "-" : r.hydrocarbon ? "Hydrocarbons" : "Solutes Available");
            text += buf;
        }
        io.out.Write(text);
        return 0;
    }

private:
    bool csv_ = false;
};

class CalcCommand : public Command {
public:
    void Declare(CLI::App& sub) override
    {
        sub.add_option("SOLUTE", in_.solute, "formula of the solute, as 'aqvis-cli list' prints it")
            ->required()
            ->type_name("");
        sub.add_option("TEMP", in_.temp, "temperature in degC; an empty text is 0")
            ->required()
            ->type_name("");
        sub.add_option("PRESS", in_.press,
                       "pressure in bar; 0 is the saturation pressure below the critical "
                       "temperature; an empty text is 1")
            ->required()
            ->type_name("");
    }

    int Run(const SharedOptions& shared, Streams& io) override
    {
        in_.xi = shared.parameters.xi;
        in_.a = shared.parameters.a;
        in_.b = shared.parameters.b;
        CaseRun run = Run_Text_Case(in_, shared.Find(in_.solute));
        if (shared.report) CaseReport(*shared.report).Record(run);
        std::string text;
        if (shared.json) {
            Append_Json_Line(text, run.result, in_.solute);
            io.out.Write(text);
        } else if (run.result.ok) {
            Append_Table(text, run.result);
            io.out.Write(text);
        } else {
            // A failed case in readable form is a diagnostic.
            Append_Failure(text, run.result);
            std::fwrite(text.data(), 1, text.size(), io.err);
        }
        return run.result.ok ? 0 : 1;
    }

private:
    CaseInput in_;
};

}  // namespace

std::unique_ptr<Command> Make_List_Command() { return std::make_unique<ListCommand>(); }
std::unique_ptr<Command> Make_Calc_Command() { return std::make_unique<CalcCommand>(); }

}  // namespace aqvis::cli
