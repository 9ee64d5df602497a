#include "driver/calculation.h"

#include <cstdio>
#include <optional>
#include <string>

#include "core/errors.h"
#include "core/fp.h"
#include "solute/aqueous.h"
#include "solute/ideal_gas.h"
#include "water/saturation.h"
#include "water/water_density.h"
#include "water/water_properties.h"

namespace aqvis {

// Absolute temperature and the starting density of water.
void Start_Values(CalcState& s)
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

namespace {

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

// True when `step` ran without raising a floating-point failure flag.  A
// CalcError thrown after such a flag was raised is a consequence of the
// failure, not the failure itself, so it is dropped; one thrown with no flag
// raised is the failure and is handed back in `error` (thrown once, from the
// caller, rather than caught and thrown again on the way).
template <class Step>
bool clean_run(CalcState& s, Step step, std::optional<CalcError>& error)
{
    fp::clear();
    try {
        step(s);
    } catch (const CalcError& e) {
        if (!fp::raised()) error = e;
    }
    return fp::raised() == 0;
}

// Where a failed calculation starts again: `state` with TC and Pbar set.
struct Start {
    const CalcValues& state;
    double TC, Pbar;
};

// Replays the calculation from the state it started from with every
// statement checked: the first failing statement throws, and the members
// written before it hold exactly the values they would have had.
[[noreturn]] void replay_strict(CalcState& s, const Start& start, bool finish)
{
    if (static_cast<const CalcValues*>(&s) != &start.state) static_cast<CalcValues&>(s) = start.state;
    s.TC = start.TC;
    s.Pbar = start.Pbar;
    fp::clear();
    {
        fp::StrictScope strict;
        Start_Values(s);
        if (finish) finish_state(s);
    }
    const int f = fp::raised();
    fp::fail(f ? f : FE_INVALID);
}

std::string state_point(double TC, double Pbar)
{
    char buf[120];
    std::snprintf(buf, sizeof buf, " at %.6g \xC2\xB0" "C and %.6g bar", TC, Pbar);
    return buf;
}


// The error a caller sees: a failure of the solution for the density as it
// is, any other with the state point added.
CalcError for_caller(const CalcError& e, const Start& start)
{
    if (e.kind() == ErrorKind::NoConvergence) return e;
    return CalcError(e.kind(),
                     std::string(e.what()) + " in the calculation" + state_point(start.TC, start.Pbar));
}

std::optional<CalcError> run_calculation(CalcState& s, const Start& start,
                                         const PressureSettled& pressure_settled)
{
    std::optional<CalcError> error;
    try {
        // The calculation runs at full speed; only when it raised a failure
        // flag is it replayed from its start with per-statement checks.
        if (!clean_run(s, Start_Values, error)) replay_strict(s, start, false);
        if (!error) {
            if (pressure_settled) pressure_settled(s);
            if (!clean_run(s, finish_state, error)) replay_strict(s, start, true);
        }
    } catch (const CalcError& e) {
        return for_caller(e, start);
    }
    if (error) return for_caller(*error, start);
    return std::nullopt;
}

}  // namespace

void Calculate_Properties(CalcState& s, const PressureSettled& pressure_settled)
{
    const CalcValues before = s;
    if (auto e = run_calculation(s, Start{before, s.TC, s.Pbar}, pressure_settled)) throw *e;
}

std::optional<CalcError> Calculate_Properties_From(const CalcState& start, CalcState& s,
                                                   const PressureSettled& pressure_settled)
{
    return run_calculation(s, Start{start, s.TC, s.Pbar}, pressure_settled);
}

}  // namespace aqvis
