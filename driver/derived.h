#pragma once
// Quantities formed from the stored results of a finished calculation and
// never stored in the state: the compressibility and thermal expansion of
// water, the distribution constant K and the joule values of the solute.
// They are the only part of a case that can still fail once the calculation
// itself has run, so every front end forms them here, before anything is
// shown or written.

#include <limits>

#include "driver/calculation.h"

namespace aqvis {

// Standard uncertainties (k = 1) of the solute's properties from the
// covariance of its xi, a and b alone (not the model's own error), in the
// units of the values they belong to.  NaN where none was propagated: a
// case run without asking, or a solute without a covariance.
struct CaseUncertainties {
    static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    double lnkH = kNone;
    double K = kNone;  // from ln K = ln(1000/MH2O) - lnkH: u(K) = K u(lnkH)
    double GTaqua = kNone;
    double S2 = kNone;
    double V2 = kNone;
    double Cp2 = kNone;
    double HTaqua = kNone;  // of GTaqua + TK S2, the two correlated
    double GTaquaJ = kNone;  // the calorie uncertainties in joule
    double S2J = kNone;
    double Cp2J = kNone;
};

struct DerivedValues {
    double Compr = 0.0;    // ddH2OdPbar / dH2O, isothermal compressibility of water, 1/bar
    double Expan = 0.0;    // ddH2OdTK / dH2O, 1/K; negative where water expands on heating
    double K = 0.0;        // gas-to-aqueous distribution constant, mol/(kg bar)
    double GTaquaJ = 0.0;  // GTaqua in J/mol
    double S2J = 0.0;      // S2 in J/(mol K)
    double Cp2J = 0.0;     // Cp2 in J/(mol K)
    // GTaqua + TK S2, cal/mol: the enthalpy that goes with GTaqua (set for
    // the command line and the Python module, not the window's panel).
    double HTaqua = 0.0;
    CaseUncertainties u;  // set by Add_Uncertainties (driver/uncertainty.h)
};

// Gas-to-aqueous distribution constant K = (e^lnkH * MH2O / 1000)^-1 in
// mol/(kg bar).  Throws CalcError(Overflow) when it leaves the range of a
// double (lnkH beyond about +-700).
double Distribution_Constant(double lnkH);

// A calorie value in joule.  Throws CalcError(Overflow) when the product
// leaves the range of a double.
double Joule_Value(double cal_value);

// All derived values, formed in the order the results panel shows them
// (compressibility, expansion, K, the three joule values); the first that
// fails throws its CalcError and nothing is returned half-done.
DerivedValues Derived_Values(const CalcValues& v);

// Of water alone: the compressibility and the thermal expansion, formed as
// Derived_Values forms them; the rest stays 0.
DerivedValues Water_Derived_Values(const WaterState& w);

// HTaqua = GTaqua + TK S2 of a finished calculation, cal/mol.  Throws
// CalcError(Overflow) when it leaves the range of a double.
double Enthalpy_Value(const CalcValues& v);

}  // namespace aqvis
