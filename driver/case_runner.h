#pragma once
// One case: a prepared solute at one temperature and pressure, from numbers
// to the state, the derived values, or the error with its kind.  Every front
// end (the window, the command line, the Python module) runs its cases here;
// turning text into numbers stays at each front end's edge.

#include <functional>
#include <optional>
#include <string>

#include "core/calc_state.h"
#include "core/errors.h"
#include "driver/calculation.h"
#include "driver/derived.h"
#include "solute/catalogue.h"

namespace aqvis {

// ξ, a and b replacing those of the solute's record; absent ones keep it.
struct SoluteParameters {
    std::optional<double> xi, a, b;
};

// A solute ready to compute: constants and tables set, the record loaded and
// the parameters in place, as the window holds it after "Accept".  Every case
// starts from a copy of `state`.
struct PreparedSolute {
    CalcState state;
};

PreparedSolute Prepare_Solute(const SoluteRecord& record, const SoluteParameters& parameters = {});
PreparedSolute Prepare_Solute(const CatalogueEntry& entry, const SoluteParameters& parameters = {});

// PressureSettled (driver/calculation.h) is called once the starting state of
// water is set, when Pbar is the pressure actually used (the saturation
// pressure for 0 below the critical point).

// Runs one case on `s` in place, the way the window does on the one state it
// keeps: TC and Pbar are stored, the calculation runs and the derived values
// are formed.  Throws CalcError on the first failure; members written before
// it keep their values.
DerivedValues Run_Case(CalcState& s, double TC, double Pbar, const PressureSettled& settled = {});

// The outcome of one case run from a prepared solute.
struct CaseResult {
    bool ok = false;
    CalcState state;                      // the state after the calculation, as far as it went
    DerivedValues derived;                // when ok
    std::optional<double> TC, Pbar;       // the inputs, as far as they could be read
    std::optional<double> pressure_used;  // Pbar once the starting state was set
    ErrorKind kind = ErrorKind::TypeMismatch;
    std::string error;                    // message naming the kind, when not ok

    // Marks the case failed with the error's kind and message.
    void Fail(const CalcError& e);
};

// Runs one case on a copy of the prepared state.  A failure of the case is
// recorded in the result, never thrown.  `r` may be reused from case to case.
void Run_Case(const PreparedSolute& solute, double TC, double Pbar, CaseResult& r);
CaseResult Run_Case(const PreparedSolute& solute, double TC, double Pbar);

}  // namespace aqvis
