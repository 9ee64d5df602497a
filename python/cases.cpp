#include "cases.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "driver/uncertainty.h"

namespace aqvis::python {

namespace {

bool Same_Bits(double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; }

bool Same(const std::optional<double>& x, const std::optional<double>& y)
{
    return x.has_value() == y.has_value() && (!x || Same_Bits(*x, *y));
}

// The solute this thread prepared last.  Preparing fills the coefficient
// tables and costs as much as a case; a loop of single calls, or the points
// of a call that share ξ, a and b, prepare it once.
struct KeptSolute {
    bool valid = false;
    CatalogueEntry entry;
    SoluteParameters parameters;
    PreparedSolute prepared;
};

// Kept on the heap: the module's thread-local storage stays small enough for
// the static block the C library sets aside for loaded modules.  Past it,
// the first use on each thread goes through the dynamic path, which on
// glibc before 2.40 may overwrite vector registers of the caller (with
// -mtls-dialect=gnu2): the first case of a thread then failed.
KeptSolute& Kept()
{
    thread_local std::unique_ptr<KeptSolute> kept;
    if (!kept) kept = std::make_unique<KeptSolute>();
    return *kept;
}

const PreparedSolute& Prepared(const CatalogueEntry& entry, const SoluteParameters& p)
{
    KeptSolute& kept = Kept();
    if (!kept.valid || !Same(kept.parameters.xi, p.xi) || !Same(kept.parameters.a, p.a) ||
        !Same(kept.parameters.b, p.b) || !(kept.entry == entry)) {
        kept.valid = false;
        kept.prepared = Prepare_Solute(entry, p);
        kept.entry = entry;
        kept.parameters = p;
        kept.valid = true;
    }
    return kept.prepared;
}

}  // namespace

namespace {

// "T" or "P" when that input is not a finite number (and the point fails as
// a type mismatch), else null.
const char* non_finite_state(const PointInputs& in)
{
    return !std::isfinite(in.T) ? "T" : !std::isfinite(in.P) ? "P" : nullptr;
}

void fail_input(const char* bad, const PointInputs& in, CaseResult& r)
{
    r.ok = false;
    r.kind = ErrorKind::TypeMismatch;
    r.error = std::string("Type mismatch: ") + bad + " is not a finite number";
    r.TC = in.T;
    r.Pbar = in.P;
    r.pressure_used.reset();
}

}  // namespace

void Run_Point(const CatalogueEntry& solute, const PointInputs& in, CaseResult& r)
{
    const char* bad = non_finite_state(in) ? non_finite_state(in)
                      : in.xi && !std::isfinite(*in.xi) ? "xi"
                      : in.a && !std::isfinite(*in.a) ? "a"
                      : in.b && !std::isfinite(*in.b) ? "b"
                                                       : nullptr;
    if (!bad) {
        try {
            Run_Case(Prepared(solute, SoluteParameters{in.xi, in.a, in.b}), in.T, in.P, r);
            Add_Uncertainties(r);
            return;
        } catch (const CalcError& e) {
            r.Fail(e);  // a parameter left empty in the catalogue and not given
            r.TC = in.T;
            r.Pbar = in.P;
            r.pressure_used.reset();
        }
    } else {
        fail_input(bad, in, r);
    }
    r.values.Xi = in.xi.value_or(solute.Xi);
    r.values.Coef1 = in.a.value_or(solute.Coef1);
    r.values.Coef2 = in.b.value_or(solute.Coef2);
}

void Run_Water_Point(const PointInputs& in, CaseResult& r)
{
    if (const char* bad = non_finite_state(in))
        fail_input(bad, in, r);
    else
        Run_Water_Case(in.T, in.P, r);
}

double Output_Value(const Member& m, const CaseResult& r)
{
    double x = std::nan("");
    if (r.ok)
        x = Member_Value(m, r.values, r.derived);
    else if (m.input == MemberInput::Temperature)
        x = r.TC.value_or(x);
    else if (m.input == MemberInput::Pressure)
        x = r.Pbar.value_or(x);
    else if (Is_Input_Member(m))
        x = Member_Value(m, r.values, r.derived);
    return x == 0.0 ? 0.0 : x;
}

}  // namespace aqvis::python
