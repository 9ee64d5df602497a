#include "equilibrium/liquid_side.h"

namespace aqvis {

std::optional<CalcError> Liquid_Side(const PreparedSolute& solute, double TC, double Pbar, CaseResult& scratch,
                                     LiquidSide& out)
{
    Run_Case(solute, TC, Pbar, scratch);
    if (!scratch.ok) return CalcError(scratch.kind, scratch.error);
    const CaseValues& s = scratch.values;
    out = LiquidSide{s.TK, s.Pbar, s.Psat, s.lnkH, s.lnfH2O};
    return std::nullopt;
}

}  // namespace aqvis
