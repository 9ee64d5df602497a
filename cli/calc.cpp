// `aqvis-cli list` and `aqvis-cli calc SOLUTE TEMP PRESS`.

#include <CLI/CLI.hpp>

#include <cmath>
#include <memory>
#include <string>

#include "cli/case_report.h"
#include "cli/cases.h"
#include "cli/command.h"
#include "cli/rows.h"
#include "driver/uncertainty.h"
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
        // The title names each column with its unit, as a CSV header does.
        static constexpr const char* kTitles[] = {
            "Xi [1]", "a [cm3/g]", "b [cm3/g]", "G0gas [cal/mol]", "S0gas [cal/(mol K)]",
            "agas [cal/(mol K)]", "bgasE3 [1e-3 cal/(mol K2)]", "cgasEmin5 [1e5 cal K/mol]"};
        std::string text = "Formula ";
        for (const char* title : kTitles) text += std::string("  ") + title;
        text += "  menu  note\n";
        for (const CatalogueEntry& r : shared.Solutes()) {
            const double values[] = {r.Xi, r.Coef1, r.Coef2, r.G0gas, r.S0gas, r.agas, r.bgasE3, r.cgasEmin5};
            // xi, a and b may be left empty in a catalogue file (NaN): shown as "-".
            const std::string name = Printable(r.Formula);
            text += name;
            if (name.size() < 8) text.append(8 - name.size(), ' ');
            for (std::size_t i = 0; i < std::size(values); ++i) {
                const std::string v = i < 3 ? parameter_text(values[i]) : Csv_Number(values[i]);
                const std::size_t width = std::char_traits<char>::length(kTitles[i]) + 2;
                if (v.size() < width) text.append(width - v.size(), ' ');
                text += v;
            }
            text += "  ";
            text += !r.built_in ? "-" : r.hydrocarbon ? "Hydrocarbons" : "Solutes Available";
            const std::string_view note = Data_Note(r);
            if (!note.empty()) (text += "  ") += note;
            text += '\n';
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
        sub.add_option("TEMP", in_.temp, kTempArgumentHelp)
            ->required()
            ->type_name("");
        sub.add_option("PRESS", in_.press, kPressArgumentHelp)
            ->required()
            ->type_name("");
    }

    int Run(const SharedOptions& shared, Streams& io) override
    {
        in_.xi = shared.parameters.xi;
        in_.a = shared.parameters.a;
        in_.b = shared.parameters.b;
        in_.units = shared.units;
        Check_Kelvin_Argument("TEMP", in_.temp, in_.units.temp);
        const CatalogueEntry* record = shared.Find(in_.solute);
        if (shared.uncertainty && record)  // an unknown solute fails as a case
            Require_Uncertainty(*record, in_.xi || in_.a || in_.b);
        CaseRun run = Run_Text_Case(in_, record);
        if (shared.uncertainty) Add_Uncertainties(run.result);
        if (shared.report) CaseReport(*shared.report).Record(run);
        std::string text;
        if (shared.json) {
            Append_Json_Line(text, run.result, in_.solute, RowOptions{shared.units, false, shared.uncertainty});
            io.out.Write(text);
        } else if (run.result.ok) {
            Append_Table(text, run.result, shared.units);
            io.out.Write(text);
        } else {
            // A failed case in readable form is a diagnostic.
            Append_Failure(text, run.result);
            std::fwrite(text.data(), 1, text.size(), io.err);
        }
        const std::string warning = Row_Warning(run.result, shared.units);
        if (!warning.empty()) Print_Diagnostic(io.err, "warning: " + warning);
        return run.result.ok ? 0 : 1;
    }

private:
    CaseInput in_;
};

}  // namespace

std::unique_ptr<Command> Make_List_Command() { return std::make_unique<ListCommand>(); }
std::unique_ptr<Command> Make_Calc_Command() { return std::make_unique<CalcCommand>(); }

}  // namespace aqvis::cli
