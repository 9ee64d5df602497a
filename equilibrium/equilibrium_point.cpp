#include "equilibrium/equilibrium_point.h"

#include <cmath>

#include "core/fp.h"

namespace aqvis {

namespace {

// Critical compressibility factor of the Peng-Robinson equation.
constexpr double kZcPengRobinson = 0.3074;

// Iterations of the gas composition before a point is given up.
constexpr int kMaxIterations = 100;

// The fixed point y_w = F(y_w) at one pressure: the gas of water fraction
// y_w holds the solute at fugacity (1 - y_w) phi_2 P, the liquid then holds
// x = that / kH, and water's fugacity (1 - x) f_w in the liquid gives the
// water fraction of the gas back.
struct FixedPoint {
    const GasTerms& g;
    double P, kH, fw;

    // F(y) and, on the way, the gas phase and x.
    double operator()(double y, gas::GasPhase& phase, double& x) const
    {
        phase = gas::Gas_Phase(g.solute, g.water, g.kij, y, g.TK, P);
        double phi2, phiw, next;
        AQ_SET(phi2, std::exp(phase.lnphi_solute));
        AQ_SET(phiw, std::exp(phase.lnphi_water));
        AQ_SET(x, (1.0 - y) * phi2 * P / kH);
        AQ_SET(next, (1.0 - x) * fw / (phiw * P));
        return next;
    }
};

bool inside(double y) { return y > 0.0 && y < 1.0; }

// Secant steps on F(y) - y, with a plain substitution step where the secant
// would leave (0, 1) and half the way to the bound where that would too.
// True once F(y) agrees with y to the tolerance; `phase` and `x` are then
// those of y.
bool solve(const FixedPoint& F, double& y, gas::GasPhase& phase, double& x)
{
    double y_prev = 0.0, g_prev = 0.0;
    for (int k = 0; k < kMaxIterations; ++k) {
        const double gy = F(y, phase, x) - y;
        if (!std::isfinite(gy)) return false;
        if (std::fabs(gy) <= kSolubilityTolerance * y) return x > 0.0 && x < 1.0;
        double step = gy;
        if (k > 0 && gy != g_prev) {
            const double secant = -gy * (y - y_prev) / (gy - g_prev);
            if (inside(y + secant)) step = secant;
        }
        if (!inside(y + step)) step = 0.5 * ((step > 0.0 ? 1.0 : 0.0) - y);
        y_prev = y;
        g_prev = gy;
        y += step;
    }
    return false;
}

bool run(const SolubilitySolute& s, const LiquidSide& L, SolubilityValues& v)
{
    const GasTerms g = Gas_Of(s, L.TK);
    double kH, fw;
    AQ_SET(kH, std::exp(L.lnkH));
    AQ_SET(fw, std::exp(L.lnfw));
    const FixedPoint F{g, L.Pbar, kH, fw};
    // Start from the gas that is water vapour at its liquid's fugacity.
    double y = std::fmin(fw / L.Pbar, 0.999999);
    gas::GasPhase phase;
    double x = 0.0;
    if (!solve(F, y, phase, x)) return false;
    v.Pbar = L.Pbar;
    v.x = x;
    v.y_water = y;
    AQ_SET(v.phi_gas, std::exp(phase.lnphi_solute));
    AQ_SET(v.phi_water, std::exp(phase.lnphi_water));
    v.Z_gas = phase.Z;
    v.V_gas = phase.V;
    v.lnkH = L.lnkH;
    return true;
}

}  // namespace

GasTerms Gas_Of(const SolubilitySolute& s, double TK)
{
    return GasTerms{gas::Pure_Terms(s.solute, TK), gas::Pure_Terms(s.water, TK), s.kij, TK};
}

std::optional<CalcError> Equilibrium_Point(const SolubilitySolute& s, const LiquidSide& L, double TC,
                                           SolubilityValues& v)
{
    bool found = false;
    try {
        // At full speed first; only when a failure flag was raised is the
        // point run again with every statement checked, so that the first
        // failing one names the error.
        fp::clear();
        found = run(s, L, v);
        if (const int flags = fp::raised()) {
            fp::clear();
            {
                fp::StrictScope strict;
                run(s, L, v);
            }
            fp::fail(flags);
        }
    } catch (const CalcError& e) {
        return CalcError(e.kind(), std::string(e.what()) + " in the gas-liquid equilibrium" +
                                       State_Point_Text(TC, L.Pbar));
    }
    if (!found)
        return CalcError(ErrorKind::NoTwoPhase, "no gas and liquid in equilibrium found" +
                                                    State_Point_Text(TC, L.Pbar) +
                                                    ": no gas composition with 0 < y_water < 1 gives a liquid "
                                                    "with 0 < x < 1");
    return std::nullopt;
}

std::string Range_Warning(const SolubilityValues& v, const CriticalConstants& solute, double TK)
{
    std::string w;
    const auto add = [&w](const char* text) { w += (w.empty() ? "" : "; ") + std::string(text); };
    if (v.x > kMaxCheckedX)
        add("x above 0.03: the liquid is taken as ideal-dilute (Henry's law) and was checked up to x = 0.03");
    if (!(v.TC >= kCheckedTempMin && v.TC <= kCheckedTempMax))
        add("temperature outside 0 to 250 \xC2\xB0" "C, where the approach was checked against measurements");
    if (v.Pbar > kCheckedPressMax) add("pressure above 1000 bar, where the approach was checked against measurements");
    // Below the solute's critical temperature a phase denser than the
    // cubic's critical volume, Zc RTc/Pc with Zc = 0.3074, is a liquid.
    if (TK < solute.Tc && v.V_gas < kZcPengRobinson * gas::kR * solute.Tc / solute.Pc)
        add("the solute-rich phase is a liquid (below the solute's critical temperature and denser than its "
            "critical volume): not checked against measurements");
    return w;
}

}  // namespace aqvis
