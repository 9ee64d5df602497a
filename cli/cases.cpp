#include "cli/cases.h"

#include <cmath>
#include <cstdio>

#include "cli/command.h"
#include "cli/rows.h"
#include "driver/uncertainty.h"
#include "io/text.h"
#include "io/number_reader.h"
#include "results/members.h"
#include "water/constants.h"

namespace aqvis::cli {

double Read_Machine_Number(std::string_view text)
{
    // The message quotes the text made printable, so that a NUL in it cannot
    // end the message early and an escape sequence stays inert.
    const double v = Read_Number(text, ".");
    return v == 0.0 ? 0.0 : v;
}

double Read_Temperature(double value, TempUnit u)
{
    if (u == TempUnit::K && value < 0.0)
        throw CalcError(ErrorKind::TypeMismatch, "Type mismatch: " + Negative_Kelvin_Message(value));
    return Celsius_From(value, u);
}

std::string Negative_Kelvin_Message(double value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", value);
    return std::string(buf) + " K is below absolute zero: with --temp-unit K a temperature is in kelvin, "
                              "0 or more (--temp-unit C, the default, takes degC)";
}

void Check_Kelvin_Argument(const char* what, std::string_view text, TempUnit u)
{
    if (u != TempUnit::K || text.empty()) return;
    double v;
    try {
        v = Read_Machine_Number(text);
    } catch (const CalcError&) {
        return;
    }
    if (v < 0.0) throw UsageError(std::string(what) + ": " + Negative_Kelvin_Message(v));
}

std::vector<double> Axis_In_Celsius(const char* option, const std::vector<double>& given, TempUnit u)
{
    std::vector<double> tc;
    tc.reserve(given.size());
    for (const double v : given) {
        if (u == TempUnit::K && v < 0.0) throw UsageError(std::string(option) + ": " + Negative_Kelvin_Message(v));
        tc.push_back(Celsius_From(v, u));
    }
    return tc;
}

std::vector<double> Axis_In_Bar(const std::vector<double>& given, PressUnit u)
{
    std::vector<double> bar;
    bar.reserve(given.size());
    for (const double v : given) bar.push_back(Bar_From(v, u));
    return bar;
}

namespace {

bool same(const std::optional<double>& x, const std::optional<double>& y)
{
    return x.has_value() == y.has_value() && (!x || *x == *y);
}

// Everything of a new CaseRun but the state, whose room is kept.
void clear_but_state(CaseRun& run)
{
    CaseResult& r = run.result;
    run.accepted = false;
    r.ok = false;
    r.derived = {};
    r.TC.reset();
    r.Pbar.reset();
    r.pressure_used.reset();
    r.kind = ErrorKind::TypeMismatch;
    r.error.clear();
}

}  // namespace

const PreparedSolute& PreparedSolutes::Get(const CatalogueEntry& record,
                                           const SoluteParameters& parameters)
{
    for (const std::unique_ptr<Entry>& e : entries_)
        if (e->record == &record && same(e->parameters.xi, parameters.xi) &&
            same(e->parameters.a, parameters.a) && same(e->parameters.b, parameters.b))
            return e->solute;
    auto entry = std::make_unique<Entry>(Entry{&record, parameters, Prepare_Solute(record, parameters)});
    if (entries_.size() < kMaxEntries) {
        entries_.push_back(std::move(entry));
        return entries_.back()->solute;
    }
    std::unique_ptr<Entry>& slot = entries_[next_];
    next_ = (next_ + 1) % kMaxEntries;
    slot = std::move(entry);
    return slot->solute;
}

void Require_Uncertainty(const CatalogueEntry& record, bool parameters_given)
{
    const std::string reason = No_Uncertainty_Reason(record, parameters_given);
    if (reason.empty()) return;
    throw UsageError("--uncertainty: " + reason +
                     (record.covariance ? "; leave out --xi, --a and --b"
                                        : "; give a catalogue file with the covariance columns, such as "
                                          "--catalogue guideline_refit or one written by 'aqvis-cli fit --save'"));
}

void Clear_Case_Run(CaseRun& run)
{
    clear_but_state(run);
    run.result.values = CaseValues{};
}

CaseRun Run_Text_Case(const CaseInput& in, const CatalogueEntry* record)
{
    CaseRun run;
    PreparedSolutes prepared;
    Run_Text_Case(in, record, run, prepared);
    return run;
}

void Run_Text_Case(const CaseInput& in, const CatalogueEntry* record, CaseRun& run,
                   PreparedSolutes& prepared)
{
    clear_but_state(run);
    CaseResult& r = run.result;
    // The inputs as numbers in degC and bar, for the report of a case that
    // fails early.
    try {
        r.TC = in.temp.empty() ? 0.0 : Read_Temperature(Read_Machine_Number(in.temp), in.units.temp);
    } catch (const CalcError&) {
    }
    try {
        r.Pbar = in.press.empty() ? 1.0 : Bar_From(Read_Machine_Number(in.press), in.units.press);
    } catch (const CalcError&) {
    }
    try {
        if (!record)
            throw CalcError(ErrorKind::UnknownSolute,
                            "Unknown solute \"" + Printable(in.solute) +
                                "\": use one of the formulas that 'aqvis-cli list' prints");
        SoluteParameters p;
        if (in.xi && !in.xi->empty()) p.xi = Read_Machine_Number(*in.xi);
        if (in.a && !in.a->empty()) p.a = Read_Machine_Number(*in.a);
        if (in.b && !in.b->empty()) p.b = Read_Machine_Number(*in.b);
        const PreparedSolute& solute = prepared.Get(*record, p);
        run.accepted = true;

        double TC, Pbar;
        try {
            // Read above already where they are numbers; read again to fail.
            TC = r.TC ? *r.TC : Read_Temperature(Read_Machine_Number(in.temp), in.units.temp);
            Pbar = r.Pbar ? *r.Pbar : Read_Machine_Number(in.press);
        } catch (const CalcError&) {
            static_cast<CatalogueEntry&>(r.values) = solute.solute;  // the solute, as far as the case went
            throw;
        }
        Run_Case(solute, TC, Pbar, r);
    } catch (const CalcError& e) {
        if (!run.accepted) r.values = CaseValues{};
        r.Fail(e);
    }
}

namespace {

// Rows of the readable table: a member of the case with its registry name
// and unit, energies in the unit asked for.
struct TableRows {
    std::string& out;
    const CaseResult& r;
    EnergyUnit energy;

    void operator()(const char* label, const char* name) const { (*this)(label, name, energy); }

    void operator()(const char* label, const char* name, EnergyUnit e) const
    {
        const Member& m = *Find_Member(name, Output_Members(true));
        // The table writes the unit of a logarithm as a function, "ln(bar)".
        const char* unit = std::string_view(m.unit) == "ln bar" ? "ln(bar)" : Member_Unit(m, e);
        char buf[200];
        // %g follows the C locale here: the program never changes LC_NUMERIC.
        std::snprintf(buf, sizeof buf, "  %-34s %-12s %22.12g  %s\n", label, m.name,
                      Plus_Zero(Member_Output(m, Member_Value(m, r.values, r.derived), e)), unit);
        out += buf;
    }
};

}  // namespace

void Append_Summary_Line(std::string& out, const CaseResult& r, std::string_view solute, const Units& units)
{
    char buf[400];
    if (!r.ok) {
        // The solute is the text as given: shown harmless, padded to 7 places.
        const std::string name = Printable(solute);
        out += name;
        if (name.size() < 7) out.append(7 - name.size(), ' ');
        out += ' ';
        Append_Failure(out, r);
    } else {
        const CaseValues& s = r.values;
        const EnergyUnit e = units.energy;
        const bool J = e == EnergyUnit::J;
        std::snprintf(buf, sizeof buf,
                      "%-7s T=%.6g C P=%.6g bar  dH2O=%.6f g/cm3  lnkH=%.4f  K=%.4e mol/(kg bar)  "
                      "V2=%.3f cm3/mol  GTaqua=%.1f %s  S2=%.3f %s  Cp2=%.3f %s\n",
                      s.Formula.c_str(), Plus_Zero(s.TC), Plus_Zero(s.Pbar), Plus_Zero(s.dH2O),
                      Plus_Zero(s.lnkH), Plus_Zero(r.derived.K), Plus_Zero(s.V2),
                      Plus_Zero(Energy_To(s.GTaqua, Quantity::Energy, e)), J ? "J/mol" : "cal/mol",
                      Plus_Zero(Energy_To(s.S2, Quantity::Entropy, e)), J ? "J/(mol K)" : "cal/(mol K)",
                      Plus_Zero(Energy_To(s.Cp2, Quantity::Entropy, e)), J ? "J/(mol K)" : "cal/(mol K)");
        out += buf;
        if (const CaseUncertainties& u = r.derived.u; !std::isnan(u.lnkH)) {
            out.pop_back();  // the uncertainties go on the same line
            std::snprintf(buf, sizeof buf, "  u(k=1): lnkH=%.3g K=%.3g V2=%.3g GTaqua=%.3g S2=%.3g Cp2=%.3g\n", u.lnkH,
                          u.K, u.V2, Energy_To(u.GTaqua, Quantity::Energy, e), Energy_To(u.S2, Quantity::Entropy, e),
                          Energy_To(u.Cp2, Quantity::Entropy, e));
            out += buf;
        }
    }
    const std::string warning = Row_Warning(r, units);
    if (!warning.empty()) out += "  warning: " + warning + '\n';
}

void Append_Failure(std::string& out, const CaseResult& r)
{
    out += "error (";
    out += Error_Kind_Id(r.kind);
    out += "): ";
    Append_Printable(out, Explained_Error(r));
    out += '\n';
}

void Append_Table(std::string& out, const CaseResult& r, const Units& units)
{
    const CaseValues& s = r.values;
    if (!r.ok) {
        Append_Failure(out, r);
        return;
    }
    const TableRows row{out, r, units.energy};
    char buf[300];
    std::snprintf(buf, sizeof buf, "Solute %s   xi = %.10g   a = %.10g   b = %.10g\n",
                  s.Formula.c_str(), Plus_Zero(s.Xi), Plus_Zero(s.Coef1), Plus_Zero(s.Coef2));
    out += buf;
    std::snprintf(buf, sizeof buf, "State  T = %.10g \xC2\xB0" "C (%.10g K)   P = %.10g bar\n",
                  Plus_Zero(s.TC), s.TK, Plus_Zero(s.Pbar));
    out += buf;
    out += "Water\n";
    if (s.TK <= water::Tcr) row("saturation pressure", "Psat");
    row("density", "dH2O");
    row("molar volume", "VH2O");
    row("d(density)/dT at constant P", "ddH2OdTK");
    row("d(density)/dP at constant T", "ddH2OdPbar");
    row("d2(density)/dT2 at constant P", "d2dH2OdTK2");
    row("heat capacity", "CpH2O");
    row("enthalpy", "HH2O");
    row("entropy", "SH2O");
    row("Gibbs energy", "GH2O");
    row("ln fugacity", "lnfH2O");
    out += "Ideal gases\n";
    row("water vapour Gibbs energy", "GTH2Ogas");
    row("water vapour entropy", "STH2Ogas");
    row("water vapour heat capacity", "CpH2Ogas");
    row("solute Gibbs energy", "GTgas");
    row("solute entropy", "STgas");
    row("solute heat capacity", "Cpgas");
    out += "Aqueous solute at infinite dilution\n";
    row("ln Henry constant", "lnkH");
    row("distribution constant gas->aq", "K");
    row("Gibbs energy", "GTaqua");
    row("entropy", "S2");
    row("partial molar volume", "V2");
    row("partial molar heat capacity", "Cp2");
    row("enthalpy, GTaqua + T S2", "HTaqua");
    if (units.energy != EnergyUnit::J) {  // else the rows above are in joules already
        row("Gibbs energy", "GTaqua", EnergyUnit::J);
        row("entropy", "S2", EnergyUnit::J);
        row("partial molar heat capacity", "Cp2", EnergyUnit::J);
    }
    if (std::isnan(r.derived.u.lnkH)) return;
    out += "Standard uncertainties (k=1) from the covariance of xi, a and b, not the model's own error\n";
    row("ln Henry constant", "u_lnkH");
    row("distribution constant gas->aq", "u_K");
    row("Gibbs energy", "u_GTaqua");
    row("entropy", "u_S2");
    row("partial molar volume", "u_V2");
    row("partial molar heat capacity", "u_Cp2");
    row("enthalpy, GTaqua + T S2", "u_HTaqua");
    if (units.energy == EnergyUnit::J) return;
    row("Gibbs energy", "u_GTaqua", EnergyUnit::J);
    row("entropy", "u_S2", EnergyUnit::J);
    row("partial molar heat capacity", "u_Cp2", EnergyUnit::J);
}

}  // namespace aqvis::cli
