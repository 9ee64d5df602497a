#include "water/water_density.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "core/constants.h"
#include "core/errors.h"
#include "core/fp.h"
#include "water/constants.h"

namespace aqvis {

namespace {

constexpr double kTolerance = 1e-06;  // Newton step at which the iteration has settled
constexpr double kFloor = 0.05;       // lowest reduced density a Newton step may reach
constexpr int kMaxPasses = 300;       // cap on the plain Newton iteration
constexpr double kGasStart = 1.0;     // gas search: from the ideal-gas density
constexpr double kLastResortGasStart = 1e-3;  // ... and far below it as the last resort
constexpr double kClearlyBelowFloor = 0.9 * kFloor;  // a root that far below it cannot be settled on

// Reduced pressure P = ro^2 Aro and dP/dro at one ro (density part only).
struct PressurePoint {
    double ro, P, dPdro;
};

PressurePoint pressure_at(const HelmholtzTemperatureTerms& t, HelmholtzDensityTerms& d, double ro)
{
    Helmholtz_Density_Part(t, ro, d);
    PressurePoint p{ro, 0.0, 0.0};
    AQ_SET(p.P, ro * ro * d.Aro);
    AQ_SET(p.dPdro, ro * ro * d.Aroro + 2.0 * ro * d.Aro);
    return p;
}

// dP/dro, dro/dP, dP/dT and dro/dT from w.ro and the derivatives of the
// last evaluation of the Helmholtz function, w.h.
void pressure_derivatives(WaterDensity& w)
{
    AQ_SET(w.dPdro, w.ro * w.ro * w.h.Aroro + 2.0 * w.ro * w.h.Aro);
    AQ_SET(w.drodP, 1.0 / w.dPdro);
    AQ_SET(w.dPdT, w.ro * w.ro * w.h.AroT);
    AQ_SET(w.drodT, -w.dPdT / w.dPdro);
}

// The completion of the evaluation in d that `values` asks for.
Helmholtz completed(const HelmholtzTemperatureTerms& t, const HelmholtzDensityTerms& d, HelmholtzValues values)
{
    if (values == HelmholtzValues::All) return Helmholtz_Complete(t, d);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return {nan, d.Aro, d.Aroro, nan, nan, Helmholtz_AroT(t, d)};
}

[[noreturn]] void no_root(double TK, double Pbar)
{
    char buf[200];
    std::snprintf(buf, sizeof buf,
                  "No convergence: no physical density of water was found at %.6g \xC2\xB0"
                  "C and %.6g bar",
                  TK - kZeroCelsius, Pbar);
    throw CalcError(ErrorKind::NoConvergence, buf);
}

constexpr int kMaxSteps = 200;  // cap on each phase of the safeguarded solve

// A bracket of the root: lo.P < target <= hi.P.
struct Bracket {
    PressurePoint lo, hi;
};

// Ideal gas: P equals ro.  Where the start is above the root, the density is
// halved until it is below; then Newton from below, at most doubling the
// density per step so that the bracket cannot jump past the rising branch.
bool gas_bracket(const HelmholtzTemperatureTerms& t, HelmholtzDensityTerms& d, double target,
                 double gas_start, Bracket& b)
{
    const double ro = std::fmin(target, 1.0) * gas_start;
    if (!(ro > 0.0)) return false;
    PressurePoint& lo = b.lo;
    lo = pressure_at(t, d, ro);
    int n = 0;
    for (;;) {
        if (++n > kMaxSteps || !(lo.dPdro > 0.0)) return false;
        if (lo.P >= target) {  // started above the root: step down
            lo = pressure_at(t, d, lo.ro * 0.5);
            continue;
        }
        const double next = std::fmin(lo.ro - (lo.P - target) / lo.dPdro, 2.0 * lo.ro);
        const PressurePoint p = pressure_at(t, d, next);
        if (p.P >= target) {
            b.hi = p;
            return true;
        }
        lo = p;
    }
}

// Liquid: from a liquid-like density, walk up until the pressure exceeds the
// target on the rising branch, then down below it.
bool liquid_bracket(const HelmholtzTemperatureTerms& t, HelmholtzDensityTerms& d, double target,
                    double ro_newton, Bracket& b)
{
    PressurePoint &lo = b.lo, &hi = b.hi;
    const double ro = ro_newton > 2.0 && ro_newton < 4.5 ? ro_newton : 3.0;
    hi = pressure_at(t, d, ro);
    int n = 0;
    while (!(hi.P >= target && hi.dPdro > 0.0)) {
        if (++n > kMaxSteps || hi.ro > 8.0) return false;
        double next = hi.ro * 1.05;
        if (hi.dPdro > 0.0) next = std::fmin(hi.ro - (hi.P - target) / hi.dPdro, hi.ro * 1.25);
        hi = pressure_at(t, d, std::fmax(next, hi.ro * 1.001));
    }
    lo = hi;
    n = 0;
    while (lo.P >= target) {
        if (++n > kMaxSteps || !(lo.dPdro > 0.0)) return false;
        const double next = std::fmax(lo.ro - (lo.P - target) / lo.dPdro, lo.ro * 0.8);
        const PressurePoint p = pressure_at(t, d, std::fmin(next, lo.ro * 0.999));
        if (p.P >= target) hi = p;
        lo = p;
    }
    return lo.dPdro > 0.0;
}

// Safeguarded solution of P(ro) = target on the physical branch, used where
// the plain Newton iteration does not settle.  Above the critical temperature
// the root is approached upward from a gas-like density; at or below it the
// liquid root is bracketed around a liquid-like density.  The caller says
// which.  Inside the bracket,
// Newton steps that leave it are replaced by bisection.  The branch is the one
// on which dP/dro > 0.
//
// `gas_start` is the fraction of the ideal-gas density (capped at the
// critical density) that the gas branch starts from.  Near it, where a gas
// is, a few steps find the root; the last-resort search from the gas side
// starts far below it instead, so that it meets the first root going up.
//
// `ro_newton` is where the plain iteration ended; the liquid branch starts
// from it when it is liquid-like.  Returns false where no physical root is
// found; otherwise the solution is in w (ro, P, h).
bool safeguarded_solve(const HelmholtzTemperatureTerms& t, HelmholtzDensityTerms& d, double target,
                       DensityBranch branch, double gas_start, double ro_newton, HelmholtzValues values,
                       WaterDensity& w)
{
    Bracket b;
    const bool bracketed = branch == DensityBranch::FromGas
                               ? gas_bracket(t, d, target, gas_start, b)
                               : liquid_bracket(t, d, target, ro_newton, b);
    if (!bracketed) return false;
    PressurePoint &lo = b.lo, &hi = b.hi;

    // Bracketed Newton with bisection: lo.P < target <= hi.P.
    PressurePoint cur = (target - lo.P < hi.P - target) ? lo : hi;
    double step = hi.ro - lo.ro;
    for (int n = 0;; ++n) {
        if (n > kMaxSteps) return false;
        double next = cur.ro - (cur.P - target) / cur.dPdro;
        if (!(cur.dPdro > 0.0) || !(next > lo.ro && next < hi.ro)) next = 0.5 * (lo.ro + hi.ro);
        step = next - cur.ro;
        cur = pressure_at(t, d, next);
        if (cur.P < target)
            lo = cur;
        else
            hi = cur;
        if (std::fabs(step) <= 1e-13 * cur.ro || hi.ro - lo.ro <= 1e-14 * hi.ro) break;
    }
    if (!(cur.dPdro > 0.0)) return false;

    // The solution, with its own evaluation of the Helmholtz function.
    w.ro = cur.ro;
    w.h = completed(t, d, values);
    AQ_SET(w.P, w.ro * w.ro * w.h.Aro);
    return true;
}

// Newton's method on the gas branch from ro_start, each step at most halving
// or doubling the density.  Newton converges quadratically: once a step is
// below 1e-8 of the density, the point it leads to is the root to rounding,
// and it is the solution after its own evaluation; a step below 1e-15 (a few
// units in the last place) leaves the point evaluated as the solution.  Its
// evaluation is completed in w.  False where dP/dro is not positive on the
// way or the steps do not settle.
bool gas_newton(const HelmholtzTemperatureTerms& t, HelmholtzDensityTerms& d, double target,
                double ro_start, HelmholtzValues values, WaterDensity& w)
{
    constexpr int kMaxSteps = 30;
    double ro = ro_start;
    bool last = false;
    for (int n = 0; n < kMaxSteps; ++n) {
        const PressurePoint p = pressure_at(t, d, ro);
        if (!(p.dPdro > 0.0)) return false;
        double step;
        AQ_SET(step, -(p.P - target) / p.dPdro);
        if (last || std::fabs(step) <= 1e-15 * ro) {
            w.ro = ro;
            w.P = p.P;
            w.h = completed(t, d, values);
            return true;
        }
        last = std::fabs(step) <= 1e-8 * ro;
        ro = std::fmin(std::fmax(ro + step, 0.5 * ro), 2.0 * ro);
    }
    return false;
}

// The plain Newton iteration on P(ro) = target from ro_start, with the floor
// at 0.05; the loop test sees the unclamped step.  The derivatives are formed
// from the final ro and the last evaluation.  True when it settled on a
// physical root.
bool plain_iteration(const HelmholtzTemperatureTerms& t, HelmholtzDensityTerms& d, double TK,
                     double Pbar, double ro_start, HelmholtzValues values, WaterDensity& w)
{
    double ro = ro_start, P = 0.0, dPdro, dev, stepro = 1.0;
    bool clamped = false;
    bool cycling = false;
    int passes = 0;
    while (std::fabs(stepro) > kTolerance) {
        if (passes == kMaxPasses || cycling) break;
        ++passes;
        const double start = ro;
        Helmholtz_Density_Part(t, ro, d);
        AQ_SET(P, ro * ro * d.Aro);
        AQ_SET(dPdro, ro * ro * d.Aroro + 2.0 * ro * d.Aro);
        AQ_SET(dev, P - ((Pbar / water::dcr) / water::RGasH2O) / TK);
        AQ_SET(stepro, -dev / dPdro);
        AQ_SET(ro, ro + stepro);
        clamped = ro < kFloor;
        if (clamped) {
            ro = kFloor;
            // Clamped from the floor back onto the floor: every later pass
            // would repeat this one, so the loop can never end.
            cycling = start == kFloor;
        }
    }
    const bool loop_ended = !(std::fabs(stepro) > kTolerance);
    w.ro = ro;
    w.P = P;
    w.h = completed(t, d, values);
    pressure_derivatives(w);
    return loop_ended && !clamped && w.dPdro > 0.0;
}

// Below the critical temperature the calculation is for liquid water, at a
// pressure at or above the saturation pressure.  A root below the critical
// density cannot be that liquid; it is the physical fluid only as the vapour
// at the saturation pressure itself (near the critical point the solution may
// settle there).  Anything else is a spurious root of the equation of state,
// such as the gas-like roots it has far below 0 degC (0.0047 g/cm3 at -110
// degC and 1000 bar): no physical density was found.
void check_liquid_root(const WaterDensity& w, double TK, const WaterStart& start, DensityBranch branch)
{
    if (w.ro < 1.0 && branch == DensityBranch::Liquid && TK <= water::Tcr && start.Pbar > start.Psat)
        no_root(TK, start.Pbar);
}

}  // namespace

DensityBranch Density_Branch(double TK)
{
    return TK > water::Tcr ? DensityBranch::FromGas : DensityBranch::Liquid;
}

WaterDensity Water_Density(double TK, const WaterStart& start, double ro_start, DensityBranch branch,
                           HelmholtzValues values)
{
    const double Pbar = start.Pbar;
    WaterDensity w;
    AQ_SET(w.T, -water::Tcr / TK);
    const HelmholtzTemperatureTerms& t = Kept_Temperature_Terms(w.T);
    HelmholtzDensityTerms d;

    // Steam above the critical temperature whose start (the ideal gas, or the
    // solution at a neighbouring temperature) lies below the floor: where its
    // root is clearly below the floor too, the plain iteration cannot settle.
    // Its iterates after the first are at or above the floor, where the
    // pressure is above the target and Newton steps lead down onto the floor
    // again until it cycles there; it settles only within a step of 1e-6 of
    // the floor.  Such steam is solved at once by Newton's method without
    // the floor.
    if (TK > water::Tcr && branch == DensityBranch::FromGas && ro_start > 0.0 &&
        ro_start < kFloor - kTolerance) {
        double target;
        AQ_SET(target, ((Pbar / water::dcr) / water::RGasH2O) / TK);
        if (gas_newton(t, d, target, ro_start, values, w) && w.ro < kClearlyBelowFloor) {
            pressure_derivatives(w);
            return w;
        }
    }

    if (plain_iteration(t, d, TK, Pbar, ro_start, values, w)) {
        check_liquid_root(w, TK, start, branch);
        return w;
    }
    // A flagged failure is reported as such; the caller replays the
    // calculation with per-statement checks.
    if (fp::raised()) return w;

    // The plain iteration did not reach a physical root (density below the
    // floor, a cycle at the floor, or a root with dP/dro <= 0): solve again
    // with a safeguarded method.
    double target;
    AQ_SET(target, ((Pbar / water::dcr) / water::RGasH2O) / TK);
    // The other branch is the last resort: a solution displaced across the
    // critical temperature may have no root left on its own branch.
    // A flag raised on the way means a failure the replay will name.
    const double ro_newton = w.ro;
    if (!safeguarded_solve(t, d, target, branch, kGasStart, ro_newton, values, w)) {
        if (fp::raised()) no_root(TK, Pbar);
        if (!safeguarded_solve(t, d, target,
                               branch == DensityBranch::FromGas ? DensityBranch::Liquid
                                                                : DensityBranch::FromGas,
                               kLastResortGasStart, ro_newton, values, w))
            no_root(TK, Pbar);
    }
    check_liquid_root(w, TK, start, branch);
    pressure_derivatives(w);
    return w;
}

}  // namespace aqvis
