#include "driver/case_runner.h"

#include "core/origin_values.h"
#include "driver/calculation.h"

namespace aqvis {

namespace {

template <class Record>
PreparedSolute prepare(const Record& record, const SoluteParameters& parameters)
{
    PreparedSolute p;
    Origin_Values(p.state);
    Load_Solute(p.state, record);
    if (parameters.xi) p.state.Xi = *parameters.xi;
    if (parameters.a) p.state.Coef1 = *parameters.a;
    if (parameters.b) p.state.Coef2 = *parameters.b;
    return p;
}

}  // namespace

PreparedSolute Prepare_Solute(const SoluteRecord& record, const SoluteParameters& parameters)
{
    return prepare(record, parameters);
}

PreparedSolute Prepare_Solute(const CatalogueEntry& entry, const SoluteParameters& parameters)
{
    return prepare(entry, parameters);
}

DerivedValues Run_Case(CalcState& s, double TC, double Pbar, const PressureSettled& settled)
{
    s.TC = TC;
    s.Pbar = Pbar;
    Calculate_Properties(s, settled);
    return Derived_Values(s);
}

void CaseResult::Fail(const CalcError& e)
{
    ok = false;
    kind = e.kind();
    error = e.what();
}

void Run_Case(const PreparedSolute& solute, double TC, double Pbar, CaseResult& r)
{
    // Origin_Values fills the coefficient tables all at once, with the same
    // values in every prepared state: once a result's state holds them, a
    // case copies the named values alone.
    if (r.state.psatCoef()[1] == solute.state.psatCoef()[1])
        static_cast<CalcValues&>(r.state) = solute.state;
    else
        r.state = solute.state;
    r.ok = false;
    r.derived = {};
    r.TC = TC;
    r.Pbar = Pbar;
    r.pressure_used.reset();
    r.error.clear();
    r.state.TC = TC;
    r.state.Pbar = Pbar;
    if (const auto e = Calculate_Properties_From(
            solute.state, r.state, [&r](const CalcState& x) { r.pressure_used = x.Pbar; })) {
        r.Fail(*e);
        return;
    }
    try {
        r.derived = Derived_Values(r.state);
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

}  // namespace aqvis
