#include "equilibrium/solubility.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/constants.h"
#include "core/fp.h"
#include "equilibrium/equilibrium_point.h"
#include "equilibrium/liquid_side.h"
#include "solute/critical_constants.h"
#include "water/constants.h"

namespace aqvis {

SolubilitySolute Prepare_Solubility(const CatalogueEntry& entry, std::optional<double> kij)
{
    if (!entry.critical)
        throw CalcError(ErrorKind::NoCriticalConstants,
                        entry.Formula + " has no critical temperature, critical pressure and acentric factor "
                                        "(Tc, Pc, omega) in the catalogue: its gas phase cannot be described");
    SolubilitySolute s{Prepare_Solute(entry), *entry.critical, Water_Critical_Constants(),
                       kij ? *kij : entry.kij.value_or(0.0)};
    return s;
}

double Molality_Of(double x, double Mw) { return 1000.0 * x / ((1.0 - x) * Mw); }

double Mole_Fraction_Of(double molality, double Mw)
{
    const double n = molality * Mw / 1000.0;
    return n / (1.0 + n);
}

namespace {

std::string number_text(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

}  // namespace

std::string State_Point_Text(double TC, double Pbar)
{
    return " at " + number_text(TC) + " \xC2\xB0" "C and " + number_text(Pbar) + " bar";
}

std::optional<CalcError> Check_Two_Phase(double TC, double Pbar)
{
    if (!(TC + kZeroCelsius < water::Tcr))
        return CalcError(ErrorKind::NoTwoPhase,
                         "no liquid water" + State_Point_Text(TC, Pbar) +
                             ": at or above the critical temperature of water no gas and liquid coexist");
    if (!(Pbar > 0.0))
        return CalcError(ErrorKind::LiquidBoils, "the liquid boils" + State_Point_Text(TC, Pbar) +
                                                     ": the pressure must be above the saturation pressure");
    return std::nullopt;
}

void Solubility(const SolubilitySolute& s, double TC, double Pbar, SolubilityResult& r, CaseResult& scratch)
{
    r = SolubilityResult{};
    r.v.TC = TC;
    r.v.Pbar = Pbar;
    auto e = Check_Two_Phase(TC, Pbar);
    LiquidSide L;
    if (!e) e = Liquid_Side(s.liquid, TC, Pbar, scratch, L);
    if (!e && Pbar < L.Psat)
        e = CalcError(ErrorKind::LiquidBoils,
                      "the liquid boils" + State_Point_Text(TC, Pbar) + ": the pressure is below the saturation "
                      "pressure of water, " + number_text(L.Psat) + " bar");
    if (!e) e = Equilibrium_Point(s, L, TC, r.v);
    if (e) {
        r.kind = e->kind();
        r.error = e->what();
        return;
    }
    r.v.molality = Molality_Of(r.v.x, kMolarMassWater);
    r.ok = true;
    r.warning = Range_Warning(r.v, s.solute, TC + kZeroCelsius);
}

}  // namespace aqvis
