#pragma once
// One solute gas and liquid water in equilibrium.  The liquid follows the
// model: the solute's fugacity is x kH(T, P), water's is (1 - x) f_w(T, P)
// with f_w that of pure liquid water.  The gas follows the Peng-Robinson
// equation of state of the solute + water mixture (gas/peng_robinson.h).
// Equal fugacities of both components in both phases give x, the mole
// fraction of the solute in the liquid, and y_w, that of water in the gas.

#include <optional>
#include <string>

#include "core/critical.h"
#include "core/errors.h"
#include "driver/case_runner.h"
#include "solute/catalogue.h"

namespace aqvis {

// Where the approach was checked against measured solubilities; outside it,
// or with more solute in the liquid than kMaxCheckedX, a point carries a
// warning.
inline constexpr double kCheckedTempMin = 0.0;     // degC
inline constexpr double kCheckedTempMax = 250.0;   // degC
inline constexpr double kCheckedPressMax = 1000.0; // bar
inline constexpr double kMaxCheckedX = 0.03;       // 1

// Converged when successive mole fractions and pressures differ by no more
// than this, relatively.
inline constexpr double kSolubilityTolerance = 1e-12;
// bar: the bubble pressure is sought up to this pressure.
inline constexpr double kMaxBubblePressure = 10000.0;

// A solute ready for solubility points: its prepared case, the critical
// constants of the solute and of water, and the binary parameter.
struct SolubilitySolute {
    PreparedSolute liquid;
    CriticalConstants solute, water;
    double kij = 0.0;
};

// Throws CalcError(NoCriticalConstants) naming the solute when its entry
// has no critical constants.  `kij` replaces the entry's (absent: the
// entry's, or 0).
SolubilitySolute Prepare_Solubility(const CatalogueEntry& entry, std::optional<double> kij = std::nullopt);

// The values of one equilibrium point.
struct SolubilityValues {
    double TC = 0.0;         // degC
    double Pbar = 0.0;       // bar: total pressure
    double x = 0.0;          // 1: mole fraction of the solute in the liquid
    double molality = 0.0;   // mol/kg: of the solute in the liquid, per kg of water
    double y_water = 0.0;    // 1: mole fraction of water in the gas
    double phi_gas = 0.0;    // 1: fugacity coefficient of the solute in the gas
    double phi_water = 0.0;  // 1: fugacity coefficient of water in the gas
    double Z_gas = 0.0;      // 1: compressibility factor of the gas
    double V_gas = 0.0;      // cm3/mol: molar volume of the gas
    double lnkH = 0.0;       // ln bar: Henry constant at (T, P)
};

struct SolubilityResult {
    bool ok = false;
    SolubilityValues v;    // when ok; TC and Pbar (or the molality's target) also when not
    ErrorKind kind = ErrorKind::NoTwoPhase;
    std::string error;     // a sentence, when not ok
    std::string warning;   // outside the checked range, when ok; else empty
};

// The equilibrium at (TC, Pbar).  `scratch` is the case the liquid side runs
// on (one per thread).  A failure is recorded in `r`, never thrown.
void Solubility(const SolubilitySolute& s, double TC, double Pbar, SolubilityResult& r, CaseResult& scratch);

// The bubble pressure at TC of a liquid holding `molality` mol/kg of the
// solute: the total pressure at which it is saturated, with the gas it
// meets.  r.v.Pbar is that pressure.
void Bubble_Pressure(const SolubilitySolute& s, double TC, double molality, SolubilityResult& r,
                     CaseResult& scratch);

// The molality (mol/kg) of a mole fraction x of solute in water of molar
// mass `Mw` (g/mol), and back.
double Molality_Of(double x, double Mw);
double Mole_Fraction_Of(double molality, double Mw);

}  // namespace aqvis
