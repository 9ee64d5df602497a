// `aqvis-cli water TEMP PRESS`: the properties of water alone, readable or
// as one JSON object.

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/cases.h"
#include "cli/command.h"
#include "cli/rows.h"
#include "io/text.h"

namespace aqvis::cli {

namespace {

// The readable form of a computed point: one row per member of water.
void append_water_table(std::string& out, const CaseResult& r, EnergyUnit energy)
{
    char buf[300];
    for (const Member& m : Water_Members()) {
        const double v = Member_Output(m, Member_Value(m, r.values, r.derived), energy);
        if (!std::isfinite(v)) continue;  // no saturation pressure above the critical temperature
        std::snprintf(buf, sizeof buf, "  %-12s %22.12g  %-12s %s\n", m.name, Plus_Zero(v),
                      Member_Unit(m, energy), m.meaning);
        out += buf;
    }
}

class WaterCommand : public Command {
public:
    void Declare(CLI::App& sub) override
    {
        sub.add_option("TEMP", temp_, kTempArgumentHelp)
            ->required()
            ->type_name("");
        sub.add_option("PRESS", press_, kPressArgumentHelp)
            ->required()
            ->type_name("");
    }

    int Run(const SharedOptions& shared, Streams& io) override
    {
        Check_Kelvin_Argument("TEMP", temp_, shared.units.temp);
        CaseResult r;
        try {
            const double TC = temp_.empty() ? 0.0 : Read_Temperature(Read_Machine_Number(temp_), shared.units.temp);
            r.TC = TC;
            const double Pbar = press_.empty() ? 1.0 : Bar_From(Read_Machine_Number(press_), shared.units.press);
            Run_Water_Case(TC, Pbar, r);
        } catch (const CalcError& e) {
            r.Fail(e);
        }
        std::string text;
        if (shared.json) {
            Append_Json_Line(text, r, "", RowOptions{shared.units, true});
            io.out.Write(text);
        } else if (r.ok) {
            append_water_table(text, r, shared.units.energy);
            io.out.Write(text);
        } else {
            Append_Failure(text, r);
            std::fwrite(text.data(), 1, text.size(), io.err);
        }
        const std::string warning = Row_Warning(r, shared.units);
        if (!warning.empty()) Print_Diagnostic(io.err, "warning: " + warning);
        return r.ok ? 0 : 1;
    }

private:
    std::string temp_, press_;
};

}  // namespace

std::unique_ptr<Command> Make_Water_Command() { return std::make_unique<WaterCommand>(); }

}  // namespace aqvis::cli
