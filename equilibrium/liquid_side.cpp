#include "equilibrium/liquid_side.h"

namespace aqvis {

std::optional<CalcError> Liquid_Side(const PreparedSolute& solute, double TC, double Pbar, CaseResult& scratch,
                                     LiquidSide& out)
{
    Run_Case(solute, TC, Pbar, scratch);
    if (!scratch.ok) return CalcError(scratch.kind, scratch.error);
    const CalcState& s = scratch.state;
    out = LiquidSide{s.TK, s.Pbar, s.Psat, s.lnkH, s.lnfH2O};
    return std::nullopt;
}

double Water_Critical_Temperature(const PreparedSolute& solute) { return solute.state.Tcr; }

double Kelvin_Offset(const PreparedSolute& solute) { return solute.state.TK0; }

double Water_Molar_Mass(const PreparedSolute& solute) { return solute.state.MH2O; }

}  // namespace aqvis
