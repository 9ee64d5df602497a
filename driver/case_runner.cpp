#include "driver/case_runner.h"

#include "core/constants.h"
#include "water/constants.h"

namespace aqvis {

namespace {

PreparedSolute prepare(CatalogueEntry entry, const SoluteParameters& parameters)
{
    PreparedSolute p{std::move(entry)};
    if (parameters.xi) p.solute.Xi = *parameters.xi;
    if (parameters.a) p.solute.Coef1 = *parameters.a;
    if (parameters.b) p.solute.Coef2 = *parameters.b;
    // The covariance belongs to the record's own xi, a and b.
    if (parameters.xi || parameters.a || parameters.b) p.solute.covariance.reset();
    return p;
}

}  // namespace

PreparedSolute Prepare_Solute(const SoluteRecord& record, const SoluteParameters& parameters)
{
    return prepare(CatalogueEntry(record), parameters);
}

PreparedSolute Prepare_Solute(const CatalogueEntry& entry, const SoluteParameters& parameters)
{
    PreparedSolute p = prepare(entry, parameters);
    // A catalogue line may leave xi, a and b empty for a fit; a case needs
    // all three, as the window needs its three parameter boxes filled.
    if (const std::string missing = Missing_Parameters(p.solute.Xi, p.solute.Coef1, p.solute.Coef2);
        !missing.empty()) {
        const char* them = missing.find(' ') == std::string::npos ? "it" : "them";
        throw CalcError(ErrorKind::TypeMismatch, entry.Formula + " has no value of " + missing +
                                                     " (left empty in the catalogue, to be fitted): give " + them +
                                                     ", or fit " + them + " first");
    }
    return p;
}

void CaseResult::Fail(const CalcError& e)
{
    ok = false;
    kind = e.kind();
    error = e.what();
}

namespace {

// A case begun: its solute in place and its inputs noted, nothing computed.
void begin(CaseResult& r, const CatalogueEntry& solute, double TC, double Pbar)
{
    static_cast<CatalogueEntry&>(r.values) = solute;
    r.ok = false;
    r.derived = {};
    r.TC = TC;
    r.Pbar = Pbar;
    r.pressure_used.reset();
    r.error.clear();
}

}  // namespace

void Run_Case(const PreparedSolute& solute, double TC, double Pbar, CaseResult& r)
{
    begin(r, solute.solute, TC, Pbar);
    if (const auto e = Calculate(solute.solute, TC, Pbar, r.values,
                                 [&r](double used) { r.pressure_used = used; })) {
        r.Fail(*e);
        return;
    }
    try {
        r.derived = Derived_Values(r.values);
        r.derived.HTaqua = Enthalpy_Value(r.values);
        r.ok = true;
    } catch (const CalcError& e) {
        r.Fail(e);
    }
}

void Run_Water_Case(double TC, double Pbar, CaseResult& r)
{
    begin(r, CatalogueEntry{}, TC, Pbar);
    if (const auto e = Calculate_Water(TC, Pbar, r.values, [&r](double used) { r.pressure_used = used; })) {
        r.Fail(*e);
        return;
    }
    try {
        r.derived = Water_Derived_Values(r.values);
        r.ok = true;
    } catch (const CalcError& e) {
        r.Fail(e);
    }
}

CaseResult Run_Case(const PreparedSolute& solute, double TC, double Pbar)
{
    CaseResult r;
    Run_Case(solute, TC, Pbar, r);
    return r;
}

void Set_Constants(WindowState& s)
{
    s.Tcr = water::Tcr;
    s.TK0 = kZeroCelsius;
}

DerivedValues Run_Case(WindowState& s, double TC, double Pbar, const PressureSettled& settled)
{
    s.TC = TC;
    s.Pbar = Pbar;
    if (const auto e = Calculate(s, TC, Pbar, s, settled)) throw *e;
    return Derived_Values(s);
}

}  // namespace aqvis
