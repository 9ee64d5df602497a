#pragma once
// One case: a prepared solute at one temperature and pressure, from numbers
// to the values of the calculation, the derived values, or the error with its
// kind.  Every front end (the window, the command line, the Python module)
// runs its cases here; turning text into numbers stays at each front end's
// edge.

#include <optional>
#include <string>

#include "core/errors.h"
#include "driver/calculation.h"
#include "driver/derived.h"
#include "solute/catalogue.h"

namespace aqvis {

// ξ, a and b replacing those of the solute's record; absent ones keep it.
struct SoluteParameters {
    std::optional<double> xi, a, b;
};

// A solute ready to compute: the record with the parameters in place, as
// the window holds it after "Accept".
struct PreparedSolute {
    CatalogueEntry solute;
};

PreparedSolute Prepare_Solute(const SoluteRecord& record, const SoluteParameters& parameters = {});
// Throws CalcError (a type mismatch, as for an empty parameter box) when xi,
// a or b is neither in the entry (left empty in a catalogue file) nor given.
PreparedSolute Prepare_Solute(const CatalogueEntry& entry, const SoluteParameters& parameters = {});

// A case as the front ends show it: the solute with the parameters used and
// the values of its calculation (results/members.h names them).
struct CaseValues : CatalogueEntry, CalcValues {};

// The outcome of one case run from a prepared solute.
struct CaseResult {
    bool ok = false;
    CaseValues values;                    // the solute always; the calculation when ok
    DerivedValues derived;                // when ok
    std::optional<double> TC, Pbar;       // the inputs, as far as they could be read
    std::optional<double> pressure_used;  // Pbar once the starting state was set
    ErrorKind kind = ErrorKind::TypeMismatch;
    std::string error;                    // message naming the kind, when not ok

    // Marks the case failed with the error's kind and message.
    void Fail(const CalcError& e);
};

// Runs one case of the prepared solute.  A failure of the case is recorded
// in the result, never thrown.  `r` may be reused from case to case.
void Run_Case(const PreparedSolute& solute, double TC, double Pbar, CaseResult& r);
CaseResult Run_Case(const PreparedSolute& solute, double TC, double Pbar);

// Water alone at TC and Pbar, as a case with no solute: the values of water
// (those of Run_Case to the last bit), lnfH2O, the compressibility and the
// thermal expansion; the rest is 0.
void Run_Water_Case(double TC, double Pbar, CaseResult& r);

// What the window keeps between clicks, nothing reset between calculations:
// the solute chosen with the parameters accepted, the values of the last
// calculation that went through, and the two constants its hints use, set
// when the title screen is left (0 before).
struct WindowState : CaseValues {
    double Tcr = 0.0;  // K: critical temperature of water
    double TK0 = 0.0;  // K: 0 °C
};

// Sets the constants of the window's state.
void Set_Constants(WindowState& s);

// Runs one case on the window's state: TC and Pbar are stored, the
// calculation runs and, when it goes through, its values replace those of
// the last one and the derived values are formed.  Throws CalcError on the
// first failure.
DerivedValues Run_Case(WindowState& s, double TC, double Pbar, const PressureSettled& settled = {});

}  // namespace aqvis
