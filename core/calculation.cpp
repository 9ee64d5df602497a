#include "core/calculation.h"

#include <cstdio>
#include <string>

#include "core/errors.h"
#include "core/fp.h"
#include "solute/aqueous.h"
#include "solute/ideal_gas.h"
#include "water/saturation.h"
#include "water/water_density.h"
#include "water/water_properties.h"

namespace aqvis {

namespace {

// Absolute temperature and the starting density of water.
void start_state(CalcState& s)
{
    AQ_SET(s.TK, s.TK0 + s.TC);
    if (s.TK > s.Tcr) {
        // Above the critical temperature: the ideal-gas density.
        AQ_SET(s.Vs, s.RGasJbar * s.TK / s.Pbar);
        AQ_SET(s.ro, (18.0152 / s.Vs) / s.dcr);
    } else {
        Saturation_Values(s);
    }
}

// Water at (TK, Pbar), the ideal-gas functions and the solute.
void finish_state(CalcState& s)
{
    Water_Density(s);
    Water_Properties(s);
    const IdealGasResult w =
        IdealGas_Values(s, s.G0H2Ogas, s.SH2Ogas, s.aH2O, s.bH2OE3, s.cH2OEmin5);
    s.GTH2Ogas = w.G;
    s.STH2Ogas = w.S;
    s.CpH2Ogas = w.Cp;
    Water_Fugacity(s);
    const IdealGasResult g = IdealGas_Values(s, s.G0gas, s.S0gas, s.agas, s.bgasE3, s.cgasEmin5);
    s.GTgas = g.G;
    s.STgas = g.S;
    s.Cpgas = g.Cp;
    Aqueous_Values(s);
}

// Runs `step` at full speed; if it raised a floating-point failure flag, puts
// back the inputs it changed and runs it again with every statement checked,
// so that the first failing statement throws.
template <class Step, class Restore>
void run_checked(CalcState& s, Step step, Restore restore)
{
    fp::clear();
    bool replay = false;
    try {
        step(s);
        replay = fp::raised() != 0;
    } catch (const CalcError&) {
        if (!fp::raised()) throw;
        replay = true;
    }
    if (!replay) return;
    restore(s);
    fp::clear();
    fp::StrictScope strict;
    step(s);
    if (const int f = fp::raised()) fp::fail(f);
}

std::string state_point(double TC, double Pbar)
{
    char buf[120];
    std::snprintf(buf, sizeof buf, " at %.6g \xC2\xB0" "C and %.6g bar", TC, Pbar);
    return buf;
}

}  // namespace

void Calculate_Properties(CalcState& s, const std::function<void(CalcState&)>& pressure_settled)
{
    const double TC = s.TC;
    const double Pbar = s.Pbar;
    try {
        run_checked(s, start_state, [&](CalcState& x) { x.Pbar = Pbar; });
        if (pressure_settled) pressure_settled(s);
        const double TK = s.TK, ro = s.ro;
        run_checked(s, finish_state, [&](CalcState& x) {
            x.TK = TK;
            x.ro = ro;
        });
    } catch (const CalcError& e) {
        if (e.kind() == ErrorKind::NoConvergence) throw;
        throw CalcError(e.kind(), std::string(e.what()) + " in the calculation" +
                                      state_point(TC, Pbar));
    }
}

}  // namespace aqvis
