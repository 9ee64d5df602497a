#include "driver/derived.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "core/constants.h"
#include "core/errors.h"
#include "solute/constants.h"

namespace aqvis {

namespace {

// Quotient of two stored results, with the failure named like any other
// floating-point failure of a calculation.
double checked_ratio(double num, double den, const char* what)
{
    const double q = num / den;
    if (std::isfinite(q)) return q;
    const std::string name(what);
    if (std::isnan(q))
        throw CalcError(ErrorKind::InvalidOperation, "Invalid operation in " + name);
    if (den == 0.0) throw CalcError(ErrorKind::DivisionByZero, "Division by zero in " + name);
    throw CalcError(ErrorKind::Overflow, "Overflow in " + name);
}

}  // namespace

double Distribution_Constant(double lnkH)
{
    // K = (e^lnkH * MH2O / 1000)^-1; beyond |lnkH| of about 700 the power of e
    // or its reciprocal leaves the range of a double.
    const double base = std::exp(lnkH) * kMolarMassWater / solute::kGramsPerKilogram;
    const double K = (std::isfinite(base) && base > 0.0) ? std::pow(base, -1.0) : HUGE_VAL;
    if (!std::isfinite(K) || !(K > 0.0)) {
        char buf[200];
        std::snprintf(buf, sizeof buf,
                      "Overflow: the distribution constant K = 1/(e^lnkH * MH2O / 1000) is out "
                      "of range (lnkH = %.6g)",
                      lnkH);
        throw CalcError(ErrorKind::Overflow, buf);
    }
    return K;
}

double Joule_Value(double cal_value)
{
    const double j = cal_value * kJoulePerCalorie;
    if (std::isinf(j))
        throw CalcError(ErrorKind::Overflow, "Overflow: a joule value is out of range");
    return j;
}

DerivedValues Water_Derived_Values(const WaterState& w)
{
    DerivedValues d;
    d.Compr = checked_ratio(w.ddH2OdPbar, w.dH2O, "the compressibility of water");
    d.Expan = checked_ratio(w.ddH2OdTK, w.dH2O, "the thermal expansion of water");
    return d;
}

double Enthalpy_Value(const CalcValues& v)
{
    const double h = v.GTaqua + v.TK * v.S2;
    if (!std::isfinite(h))
        throw CalcError(ErrorKind::Overflow, "Overflow: the enthalpy HTaqua = GTaqua + T S2 is out of range");
    return h;
}

DerivedValues Derived_Values(const CalcValues& s)
{
    DerivedValues d = Water_Derived_Values(s);
    d.K = Distribution_Constant(s.lnkH);
    d.GTaquaJ = Joule_Value(s.GTaqua);
    d.S2J = Joule_Value(s.S2);
    d.Cp2J = Joule_Value(s.Cp2);
    return d;
}

}  // namespace aqvis
