#include "results/captions.h"

#include <cmath>
#include <string>

#include "core/errors.h"
#include "results/number_format.h"
#include "solute/aqueous.h"

namespace aqvis {

std::array<std::pair<const char*, const std::string*>, 16> PanelCaptions::items() const
{
    return {{
        {"lbllnfH2O", &lbllnfH2O},
        {"lbldH2O", &lbldH2O},
        {"lblVH2O", &lblVH2O},
        {"lblCpH2O", &lblCpH2O},
        {"lblCompr", &lblCompr},
        {"lblExpan", &lblExpan},
        {"lblFormula", &lblFormula},
        {"lbllnkH", &lbllnkH},
        {"lblK0", &lblK0},
        {"lblV", &lblV},
        {"lblgcal", &lblgcal},
        {"lblScal", &lblScal},
        {"lblCpcal", &lblCpcal},
        {"lblgJ", &lblgJ},
        {"lblSJ", &lblSJ},
        {"lblCpJ", &lblCpJ},
    }};
}

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

double Joule_Value(double cal_value)
{
    const double j = cal_value * 4.184;
    if (std::isinf(j))
        throw CalcError(ErrorKind::Overflow, "Overflow: a joule value is out of range");
    return j;
}

PanelCaptions Result_Captions(const CalcState& s, std::string_view decimal_sep)
{
    const auto fmt = [decimal_sep](double v, std::string_view pattern) {
        return Format_Number(v, pattern, decimal_sep);
    };
    // Everything that can fail comes first; the captions are built only
    // when all values are at hand.
    const double compr = checked_ratio(s.ddH2OdPbar, s.dH2O, "the compressibility of water");
    const double expan = checked_ratio(s.ddH2OdTK, s.dH2O, "the thermal expansion of water");
    const double K = Distribution_Constant(s);
    const double gJ = Joule_Value(s.GTaqua);
    const double SJ = Joule_Value(s.S2);
    const double CpJ = Joule_Value(s.Cp2);

    PanelCaptions c;
    c.lbllnfH2O = fmt(s.lnfH2O, "#0.0000 ");
    c.lbldH2O = fmt(s.dH2O, "#0.0000 ");
    c.lblVH2O = fmt(s.VH2O, "####0.00 ");
    c.lblCpH2O = fmt(s.CpH2O, "####0.00 ");
    c.lblCompr = fmt(compr, "0.0000E+00 ");
    c.lblExpan = fmt(expan, "0.0000E+00 ");
    c.lblFormula = s.Formula;
    c.lbllnkH = fmt(s.lnkH, "##0.000 ");
    c.lblK0 = fmt(K, "###0.0000 ");
    c.lblV = fmt(s.V2, " #####0.0# ");
    c.lblgcal = fmt(s.GTaqua, "######0.0 ");
    c.lblScal = fmt(s.S2, "#####0.00 ");
    c.lblCpcal = fmt(s.Cp2, "#####0.0 ");
    c.lblgJ = fmt(gJ, "######0.0 ");
    c.lblSJ = fmt(SJ, "#####0.00 ");
    c.lblCpJ = fmt(CpJ, "#####0.0 ");
    return c;
}

}  // namespace aqvis
