#include "driver/calculation.h"

#include <cstdio>
#include <string>

#include "core/constants.h"
#include "core/fp.h"
#include "water/saturation.h"
#include "water/water_density.h"
#include "water/water_properties.h"

namespace aqvis {

namespace {

struct Inputs {
    const CatalogueEntry* solute;  // null: water alone
    double TC, Pbar;
};

// Absolute temperature and the starting state of water.
void start(const Inputs& in, CalcValues& v, WaterStart& ws)
{
    AQ_SET(v.TK, kZeroCelsius + in.TC);
    ws = Water_Start(v.TK, in.Pbar);
}

// Water at (TK, Pbar), the ideal-gas functions and the solute.
void finish(const Inputs& in, const WaterStart& ws, CalcValues& v)
{
    const WaterDensity d = Water_Density(v.TK, ws, ws.ro, Density_Branch(v.TK), HelmholtzValues::Slopes);
    static_cast<WaterState&>(v) = Water_Properties(v.TK, ws, d);
    v.vapour = IdealGas_Values(v.TK, solute::kWaterVapour);
    const double lnfH2O = Water_Fugacity(v, v.vapour);
    if (!in.solute) {
        v.lnfH2O = lnfH2O;
        return;
    }
    v.gas = IdealGas_Values(v.TK, in.solute->Gas());
    static_cast<AqueousValues&>(v) = Aqueous_Values(v, v.vapour, lnfH2O, v.gas, in.solute->Eos());
}

// True when `step` ran without raising a floating-point failure flag.  A
// CalcError thrown after such a flag was raised is a consequence of the
// failure, not the failure itself, so it is dropped; one thrown with no flag
// raised is the failure and is handed back in `error` (thrown once, from the
// caller, rather than caught and thrown again on the way).
template <class Step>
bool clean_run(Step step, std::optional<CalcError>& error)
{
    fp::clear();
    try {
        step();
    } catch (const CalcError& e) {
        if (!fp::raised()) error = e;
    }
    return fp::raised() == 0;
}

// Replays the calculation from its inputs with every statement checked: the
// first failing statement throws.
[[noreturn]] void replay_strict(const Inputs& in, bool with_finish)
{
    fp::clear();
    {
        fp::StrictScope strict;
        CalcValues v;
        WaterStart ws;
        start(in, v, ws);
        if (with_finish) finish(in, ws, v);
    }
    const int f = fp::raised();
    fp::fail(f ? f : FE_INVALID);
}

// The error a caller sees: a failure of the solution for the density as it
// is, any other with the state point added.
CalcError for_caller(const CalcError& e, const Inputs& in)
{
    if (e.kind() == ErrorKind::NoConvergence) return e;
    char buf[120];
    std::snprintf(buf, sizeof buf, " at %.6g \xC2\xB0" "C and %.6g bar", in.TC, in.Pbar);
    return CalcError(e.kind(), std::string(e.what()) + " in the calculation" + buf);
}

std::optional<CalcError> calculate(const Inputs& in, CalcValues& out,
                                   const PressureSettled& pressure_settled)
{
    CalcValues v;
    v.TC = in.TC;
    WaterStart ws{};
    std::optional<CalcError> error;
    try {
        if (!clean_run([&] { start(in, v, ws); }, error)) replay_strict(in, false);
        if (!error) {
            if (pressure_settled) pressure_settled(ws.Pbar);
            if (!clean_run([&] { finish(in, ws, v); }, error)) replay_strict(in, true);
        }
    } catch (const CalcError& e) {
        return for_caller(e, in);
    }
    if (error) return for_caller(*error, in);
    out = v;
    return std::nullopt;
}

}  // namespace

std::optional<CalcError> Calculate(const CatalogueEntry& solute, double TC, double Pbar,
                                   CalcValues& out, const PressureSettled& pressure_settled)
{
    return calculate(Inputs{&solute, TC, Pbar}, out, pressure_settled);
}

std::optional<CalcError> Calculate_Water(double TC, double Pbar, CalcValues& out,
                                         const PressureSettled& pressure_settled)
{
    return calculate(Inputs{nullptr, TC, Pbar}, out, pressure_settled);
}

}  // namespace aqvis
