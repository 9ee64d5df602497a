#include "results/captions.h"

#include <string>

#include "results/number_format.h"

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

PanelCaptions Result_Captions(const CalcState& s, const DerivedValues& d,
                              std::string_view decimal_sep)
{
    const auto fmt = [decimal_sep](double v, std::string_view pattern) {
        return Format_Number(v, pattern, decimal_sep);
    };
    PanelCaptions c;
    c.lbllnfH2O = fmt(s.lnfH2O, "#0.0000 ");
    c.lbldH2O = fmt(s.dH2O, "#0.0000 ");
    c.lblVH2O = fmt(s.VH2O, "####0.00 ");
    c.lblCpH2O = fmt(s.CpH2O, "####0.00 ");
    c.lblCompr = fmt(d.Compr, "0.0000E+00 ");
    c.lblExpan = fmt(d.Expan, "0.0000E+00 ");
    c.lblFormula = s.Formula;
    c.lbllnkH = fmt(s.lnkH, "##0.000 ");
    c.lblK0 = fmt(d.K, "###0.0000 ");
    c.lblV = fmt(s.V2, " #####0.0# ");
    c.lblgcal = fmt(s.GTaqua, "######0.0 ");
    c.lblScal = fmt(s.S2, "#####0.00 ");
    c.lblCpcal = fmt(s.Cp2, "#####0.0 ");
    c.lblgJ = fmt(d.GTaquaJ, "######0.0 ");
    c.lblSJ = fmt(d.S2J, "#####0.00 ");
    c.lblCpJ = fmt(d.Cp2J, "#####0.0 ");
    return c;
}

std::string Input_Box_Text(double value, std::string_view decimal_sep)
{
    return Format_Number(value, "####0.0#", decimal_sep);
}

}  // namespace aqvis
