#include "cli/cases.h"

#include <cstdio>

#include "cli/rows.h"
#include "io/text.h"
#include "io/number_reader.h"
#include "water/constants.h"

namespace aqvis::cli {

double Read_Machine_Number(std::string_view text)
{
    // The message quotes the text made printable, so that a NUL in it cannot
    // end the message early and an escape sequence stays inert.
    const double v = Read_Number(text, ".");
    return v == 0.0 ? 0.0 : v;
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
    // The inputs as numbers, for the report of a case that fails early.
    try {
        r.TC = in.temp.empty() ? 0.0 : Read_Machine_Number(in.temp);
    } catch (const CalcError&) {
    }
    try {
        r.Pbar = in.press.empty() ? 1.0 : Read_Machine_Number(in.press);
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
            TC = r.TC ? *r.TC : Read_Machine_Number(in.temp);
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

void row(std::string& out, const char* label, const char* name, double v, const char* unit)
{
    char buf[200];
    std::snprintf(buf, sizeof buf, "  %-34s %-12s %22.12g  %s\n", label, name, Plus_Zero(v), unit);
    // %g follows the C locale here: the program never changes LC_NUMERIC.
    out += buf;
}

}  // namespace

void Append_Summary_Line(std::string& out, const CaseResult& r, std::string_view solute)
{
    char buf[400];
    if (!r.ok) {
        // The solute is the text as given: shown harmless, padded to 7 places.
        const std::string name = Printable(solute);
        out += name;
        if (name.size() < 7) out.append(7 - name.size(), ' ');
        out += ' ';
        Append_Failure(out, r);
        return;
    }
    const CaseValues& s = r.values;
    std::snprintf(buf, sizeof buf,
                  "%-7s T=%.6g C P=%.6g bar  dH2O=%.6f g/cm3  lnkH=%.4f  K=%.4e mol/(kg bar)  "
                  "V2=%.3f cm3/mol  GTaqua=%.1f cal/mol  S2=%.3f cal/(mol K)  Cp2=%.3f cal/(mol K)\n",
                  s.Formula.c_str(), Plus_Zero(s.TC), Plus_Zero(s.Pbar), Plus_Zero(s.dH2O),
                  Plus_Zero(s.lnkH), Plus_Zero(r.derived.K), Plus_Zero(s.V2), Plus_Zero(s.GTaqua),
                  Plus_Zero(s.S2), Plus_Zero(s.Cp2));
    out += buf;
}

void Append_Failure(std::string& out, const CaseResult& r)
{
    out += "error (";
    out += Error_Kind_Id(r.kind);
    out += "): ";
    Append_Printable(out, r.error);
    out += '\n';
}

void Append_Table(std::string& out, const CaseResult& r)
{
    const CaseValues& s = r.values;
    if (!r.ok) {
        Append_Failure(out, r);
        return;
    }
    char buf[300];
    std::snprintf(buf, sizeof buf, "Solute %s   xi = %.10g   a = %.10g   b = %.10g\n",
                  s.Formula.c_str(), Plus_Zero(s.Xi), Plus_Zero(s.Coef1), Plus_Zero(s.Coef2));
    out += buf;
    std::snprintf(buf, sizeof buf, "State  T = %.10g \xC2\xB0" "C (%.10g K)   P = %.10g bar\n",
                  Plus_Zero(s.TC), s.TK, Plus_Zero(s.Pbar));
    out += buf;
    out += "Water\n";
    if (s.TK <= water::Tcr) row(out, "saturation pressure", "Psat", s.Psat, "bar");
    row(out, "density", "dH2O", s.dH2O, "g/cm3");
    row(out, "molar volume", "VH2O", s.VH2O, "cm3/mol");
    row(out, "d(density)/dT at constant P", "ddH2OdTK", s.ddH2OdTK, "g/(cm3 K)");
    row(out, "d(density)/dP at constant T", "ddH2OdPbar", s.ddH2OdPbar, "g/(cm3 bar)");
    row(out, "d2(density)/dT2 at constant P", "d2dH2OdTK2", s.d2dH2OdTK2, "g/(cm3 K2)");
    row(out, "heat capacity", "CpH2O", s.CpH2O, "cal/(mol K)");
    row(out, "enthalpy", "HH2O", s.HH2O, "cal/mol");
    row(out, "entropy", "SH2O", s.SH2O, "cal/(mol K)");
    row(out, "Gibbs energy", "GH2O", s.GH2O, "cal/mol");
    row(out, "ln fugacity", "lnfH2O", s.lnfH2O, "ln(bar)");
    out += "Ideal gases\n";
    row(out, "water vapour Gibbs energy", "GTH2Ogas", s.vapour.G, "cal/mol");
    row(out, "water vapour entropy", "STH2Ogas", s.vapour.S, "cal/(mol K)");
    row(out, "water vapour heat capacity", "CpH2Ogas", s.vapour.Cp, "cal/(mol K)");
    row(out, "solute Gibbs energy", "GTgas", s.gas.G, "cal/mol");
    row(out, "solute entropy", "STgas", s.gas.S, "cal/(mol K)");
    row(out, "solute heat capacity", "Cpgas", s.gas.Cp, "cal/(mol K)");
    out += "Aqueous solute at infinite dilution\n";
    row(out, "ln Henry constant", "lnkH", s.lnkH, "ln(bar)");
    row(out, "distribution constant gas->aq", "K", r.derived.K, "mol/(kg bar)");
    row(out, "Gibbs energy", "GTaqua", s.GTaqua, "cal/mol");
    row(out, "entropy", "S2", s.S2, "cal/(mol K)");
    row(out, "partial molar volume", "V2", s.V2, "cm3/mol");
    row(out, "partial molar heat capacity", "Cp2", s.Cp2, "cal/(mol K)");
    row(out, "Gibbs energy", "GTaqua", r.derived.GTaquaJ, "J/mol");
    row(out, "entropy", "S2", r.derived.S2J, "J/(mol K)");
    row(out, "partial molar heat capacity", "Cp2", r.derived.Cp2J, "J/(mol K)");
}

}  // namespace aqvis::cli
